// What a step changed in the project, in words for the step table: parameters, masks added,
// removed or reshaped, keyframes added, undo entries.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/Project.h"
#include "report/StepRecord.h"

namespace orvane::host {

// Told of each step as it starts and ends. A step costs what it changed, not what the project
// holds: parameter values are a few numbers each and are compared whole, but a mask's outline is
// looked at again only when it was written or, keyed, when the step moved the current time, and
// the outlines are kept from one step to the next rather than copied at each.
class StepSummary {
 public:
  void Begin(const Project &p);
  // Appends to `record.changes` what differs from the project at Begin; the undo entries are
  // told by the commands of the record that made them.
  void Finish(const Project &p, StepRecord &record);

 private:
  struct MaskSeen {
    std::uint64_t revision = 0;
    std::size_t keys = 0;
    std::vector<double> outline;  // x, y of each vertex at the time it was last looked at
    bool seen = false;            // looked at in this Finish
  };
  std::vector<StreamValue> values_;
  std::size_t masks_ = 0;
  std::size_t undo_ = 0;
  double time_ = 0;
  std::unordered_map<AEGP_MaskIDVal, MaskSeen> seen_;
};

}  // namespace orvane::host
