// The reference session every check works from, and all the validator knows of this plug-in:
// its parameter indices and counts, and the commands of one short session on a small layer (the
// effect applied, two masks created, a colour changed, rendered, drawn, a handle clicked and
// dragged, and a short bake).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/Module.h"
#include "protocol/Session.h"
#include "validate/Validator.h"

namespace orvane::host::reference {

// What the plug-in registers: the input layer, 50 slots of five values (colour, centre, width,
// height, angle) and their groups, "Create", 50 mask links and their groups, "Number", "On" and
// "Bake"; and the properties its property list holds.
constexpr std::size_t kParameterCount = 309;
constexpr std::size_t kPropertyCount = 12;
constexpr PF_ParamIndex kFirstColour = 2;     // the first slot's colour
constexpr PF_ParamIndex kFirstSlotValue = 2;  // the slots' values lie in 250 parameters from here
constexpr std::size_t kSlotValues = 250;
constexpr PF_ParamIndex kCreate = 253;
constexpr PF_ParamIndex kFirstLink = 255;  // the first slots' mask links
constexpr PF_ParamIndex kNumber = 306;
constexpr PF_ParamIndex kBake = 308;

struct Command {
  const char *name;
  std::function<PF_Err(Session &)> send;
  bool passes_errors_on;  // false where a failure is dropped (drawing, mouse events)
};

// The reference commands, in order.
const std::vector<Command> &Commands();
// A session on a 64 x 36 layer with a three-frame work area.
std::unique_ptr<Session> FreshSession(Module &module);
// Replays the reference commands before `index` without faults; false when one fails.
bool Replay(Session &s, std::size_t index);
// The user changing parameter `index` (the supervised-parameter command).
PF_Err Changed(Session &s, PF_ParamIndex index);
// A click on the first mask's first corner, or a drag from just beside it.
PF_Err Click(Session &s, bool drag);
// Fails the check for every problem the commands from `from` on reported.
void ExpectNoProblems(Session &s, std::size_t from, const std::string &where, CheckResult &r);

}  // namespace orvane::host::reference
