// What a step changed in the project, in words for the step table: parameters, masks added,
// removed or reshaped, keyframes added, undo entries.
#pragma once

#include <string>
#include <vector>

#include "model/Project.h"
#include "report/Json.h"
#include "report/StepRecord.h"

namespace orvane::host {

// The project as the summary compares it, taken before a step.
struct ProjectSnapshot {
  std::vector<Json> values;
  std::vector<std::pair<AEGP_MaskIDVal, std::size_t>> masks;  // id and keyframe count
  std::vector<std::vector<double>> outlines;
  std::size_t undo = 0;

  explicit ProjectSnapshot(const Project &p);
};

// Appends to `record.changes` what differs between `before` and the project now; the undo
// entries are told by the commands of the record that made them.
void SummarizeStep(const ProjectSnapshot &before, const Project &p, StepRecord &record);

}  // namespace orvane::host
