// Opening a saved project (docs/project-file.md) in a session, as the application opens a
// project that has the effect applied: the project's composition, layer and masks, global setup
// and parameter setup, the saved values over the defaults, then the UI update.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "protocol/Session.h"
#include "report/Json.h"
#include "scenario/Limits.h"

namespace orvane::host {

// A project file as read, before it is checked against the composition and the effect: every
// part as JSON but the mask keys, which are read straight into the compact form the project keeps
// them in (an hour's bake is millions of keys).
struct SavedProject {
  Json fields = Json::object();  // every member of the file but "masks"
  struct SavedMask {
    Json fields = Json::object();  // every member of the mask but "keyframes"
    bool has_keys = false;
    OutlineKeys keys;  // in file order, each with its layer time and tick
  };
  bool has_masks = false;
  std::vector<SavedMask> masks;
};

// The file read as a stream, within limits on what it holds (masks, keys, vertices) rather than
// on its bytes; BadInput ("FILE: why", or "FILE:LINE:COLUMN: why") when it cannot be.
SavedProject ReadProjectFile(const std::string &path, const Limits &limits);
// Ends what the session had (global tear-down), starts it afresh from `file`, and sends the
// commands of an opened project. Throws BadInput naming `origin` and the part that is wrong.
// The run limits are checked with the opened layer for the `steps_to_come`.
void OpenProject(Session &session, SavedProject &&file, const std::string &origin,
                 const Limits &limits, std::size_t steps_to_come);

}  // namespace orvane::host
