// Where a run's files go, checked before any of them is opened: pictures stay inside the output
// folder (no absolute names, no "..", no links on the way), and no output is an input of the run
// or another output of it.
#pragma once

#include <string>
#include <vector>

#include "report/Json.h"

namespace orvane::host {

// The path of a picture step's "file" under `out_dir` (the current folder when empty). Throws
// BadInput when the name would leave the folder or pass through a link; with `make_folders` the
// subfolders it names are made.
std::string PicturePath(const std::string &out_dir, const Json &step, const char *what,
                        bool make_folders);

struct NamedOutput {
  std::string path;
  std::string what;  // for messages: "the trace file", "step 3 (png)"
};

// Throws BadInput when an output is (through links, or as a hard link) one of `inputs` or the
// same file as another output.
void CheckOutputsApart(const std::vector<NamedOutput> &outputs,
                       const std::vector<NamedOutput> &inputs);

// Whether a step writes a file ("png", "sheet" and "save" do).
bool WritesFile(const Json &step);

// Every output the scenario's steps name, in step order ("png", "sheet" and "save" steps).
std::vector<NamedOutput> PictureOutputs(const Json &scenario, const std::string &out_dir);

}  // namespace orvane::host
