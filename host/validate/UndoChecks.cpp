// undo_integrity: each action of the module is one entry of the user's undo history, and undoing
// it gives back exactly the project before it, redoing it exactly the project after it.
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "validate/Checks.h"
#include "validate/ReferenceSession.h"

namespace orvane::host {

namespace {

struct Action {
  const char *what;
  const char *entry;  // the one entry it must make
  std::function<void(Session &)> run;
};

std::string Names(const std::vector<std::string> &names, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < names.size(); ++i)
    out += (out.empty() ? "\"" : ", \"") + names[i] + "\"";
  return out.empty() ? "none" : out;
}

// The user gives slot 1 another colour; the module recolours the slot's mask while it handles it.
void ChangeColour(Session &s) {
  EffectParam &colour = s.project().effect.params.at(std::size_t(reference::kFirstColour));
  s.BeginUserChange("Change \"" + colour.name + "\"",
                    UndoHistory::ParamPart(std::size_t(reference::kFirstColour)));
  colour.stream.Set(0, A_Time{0, s.project().comp.time_scale}, StreamValue{{1, 0.25, 0.5, 0.75}});
  reference::Changed(s, reference::kFirstColour);
  s.project().undo.EndAction(s.project());
}

}  // namespace

void CheckUndoIntegrity(const CheckContext &context, CheckResult &r) {
  std::unique_ptr<Session> s = reference::FreshSession(context.module);
  if (!reference::Replay(*s, 3)) {
    Fail(r, "the effect could not be applied");
    return;
  }
  const std::vector<Action> actions = {
      {"Create", "Create Masks", [](Session &x) { reference::Changed(x, reference::kCreate); }},
      {"a second Create", "Create Masks",
       [](Session &x) { reference::Changed(x, reference::kCreate); }},
      {"a colour change", "Change \"Mask Color 1\"", ChangeColour},
      {"Bake", "Bake Masks", [](Session &x) { reference::Changed(x, reference::kBake); }},
  };
  Project &p = s->project();
  for (const Action &action : actions) {
    const ProjectModel before = p;
    const std::size_t entries = p.undo.size();
    action.run(*s);
    const ProjectModel after = p;
    const auto &names = p.undo.entries();
    if (names.size() != entries + 1 || names.back() != action.entry) {
      Fail(r, std::string(action.what) + " made the undo entries " + Names(names, entries) +
                  ", not the one entry \"" + action.entry + "\"");
    }
    if (after == before) Fail(r, std::string(action.what) + " changed nothing");
    if (!p.undo.Undo(p) || !(static_cast<const ProjectModel &>(p) == before)) {
      Fail(r, std::string("undoing ") + action.what +
                  " does not give back the project as it was before it");
    }
    if (!p.undo.Redo(p) || !(static_cast<const ProjectModel &>(p) == after)) {
      Fail(r, std::string("redoing ") + action.what +
                  " does not give back the project as it was after it");
    }
    static_cast<ProjectModel &>(p) = after;
  }
  // The colour change is only an action of the module's if the mask took the colour.
  // The module keeps colours as bytes: 0.25 comes back as 64/255.
  if (p.layer.masks.empty() || std::fabs(p.layer.masks[0].color.redF - 0.25) > 0.5 / 255)
    Fail(r, "the colour change did not recolour the slot's mask");
}

}  // namespace orvane::host
