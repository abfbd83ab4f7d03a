// What the application does around the user's actions: the undo entry of a change the user
// makes, the commands that follow an action, and the Effect Controls panel.
#include "protocol/Session.h"

namespace orvane::host {

PF_Err Session::OpenPanel() {
  // The panel appears with the effect; the UI update, when the module asked for it, may then
  // hide controls, which the user sees once the module asks for the panel to be redrawn.
  RedrawPanel();
  if (!(global_out_flags_ & PF_OutFlag_SEND_UPDATE_PARAMS_UI)) return PF_Err_NONE;
  const PF_Err err = Send(PF_Cmd_UPDATE_PARAMS_UI);
  if (commands_.back().out_flags & PF_OutFlag_REFRESH_UI) RedrawPanel();
  return err;
}

std::string Session::ChangeName(int index) const {
  const auto &params = project_.effect.params;
  if (index < 0 || std::size_t(index) >= params.size()) return "Change Value";
  const EffectParam &param = params[std::size_t(index)];
  return (param.def.param_type == PF_Param_BUTTON ? "Press \"" : "Change \"") + param.name + "\"";
}

void Session::BeginUserChange(const std::string &name, UndoHistory::Part part) {
  project_.undo.BeginAction(name);
  project_.WillChange(part);
}

void Session::ParamChanged(int index) {
  const EffectParam &param = project_.effect.params.at(std::size_t(index));
  const Action action = BeginAction();
  // A button press changes no value: it is an action that makes no entry of its own, but what
  // the module changes outside a group while handling it is part of it.
  if (!project_.undo.action_open()) project_.undo.BeginAction(ChangeName(index));
  if (param.def.flags & PF_ParamFlag_SUPERVISE) {
    PF_UserChangedParamExtra extra{index};
    Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
  }
  project_.undo.EndAction(project_);
  // A button holds no value: pressing one changes the project only through what the module does.
  FinishAction(action, param.has_stream(), param.has_stream());
}

void Session::FinishAction(const Action &action, bool by_user, bool params_by_user) {
  auto asked = [&](A_long flag) {
    for (std::size_t i = action.first_command; i < commands_.size(); ++i) {
      if (commands_[i].out_flags & flag) return true;
    }
    return false;
  };
  const bool params_changed = params_by_user || changes_.params != action.changes.params;
  if (params_changed && (global_out_flags_ & PF_OutFlag_SEND_UPDATE_PARAMS_UI))
    Send(PF_Cmd_UPDATE_PARAMS_UI);
  if (asked(PF_OutFlag_REFRESH_UI)) RedrawPanel();
  if (by_user || changes_.any != action.changes.any || asked(PF_OutFlag_FORCE_RERENDER)) {
    CommandContext at;
    at.time = action.time;
    at.downsample_x = at.downsample_y = PF_RationalScale{1, A_u_long(action.downsample)};
    Render(at);
  }
}

void Session::RedrawPanel() {
  for (EffectParam &param : project_.effect.params) param.shown = !param.hidden;
}

}  // namespace orvane::host
