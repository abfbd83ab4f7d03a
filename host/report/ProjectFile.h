// A saved project: the dump's project sections ("params", "masks") with what reopening it
// exactly needs beside them (the composition and layer as the scenario gave them, the current
// time, each value as the project holds it, each key's own time, the next mask's id and
// colour), under a format version. docs/project-file.md describes it.
#pragma once

#include <ostream>

#include "model/Project.h"
#include "report/Json.h"

namespace orvane::host {

constexpr int kProjectFileVersion = 1;

// Writes the project file as it is produced, each mask key on a line of its own, so an hour's
// bake of millions of keys is never held as one JSON value. `comp` and `layer` are the scenario's
// own sections (null when it gave none).
void WriteProjectFile(std::ostream &out, const Project &project, const Json &comp,
                      const Json &layer);

}  // namespace orvane::host
