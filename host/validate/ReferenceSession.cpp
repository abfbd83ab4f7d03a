#include "validate/ReferenceSession.h"

#include "protocol/Suites.h"

namespace orvane::host::reference {

PF_Err Changed(Session &s, PF_ParamIndex index) {
  PF_UserChangedParamExtra extra{index};
  return s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

PF_Err Click(Session &s, bool drag) {
  PF_EventExtra extra{};
  extra.e_type = drag ? PF_Event_DRAG : PF_Event_DO_CLICK;
  const auto &masks = s.project().layer.masks;
  Point2 corner{0, 0};
  if (!masks.empty() && !masks[0].outline.value.vertices.empty()) {
    corner = {masks[0].outline.value.vertices[0].x, masks[0].outline.value.vertices[0].y};
  }
  const Point2 at = LayerToWindow(MappingOf(s.project(), s.view(), WindowKind::Comp, 0), corner);
  extra.u.do_click.screen_point =
      PF_Point{A_long(at.x) - (drag ? 3 : 0), A_long(at.y) - (drag ? 2 : 0)};
  if (drag) {
    extra.u.do_click.send_drag = TRUE;
    extra.u.do_click.last_time = TRUE;
    extra.u.do_click.continue_refcon[0] = 1;
  }
  return s.SendEvent(WindowKind::Comp, extra, 0).err;
}

const std::vector<Command> &Commands() {
  static const std::vector<Command> commands = {
      {"global setup", [](Session &s) { return s.GlobalSetup(); }, true},
      {"parameter setup", [](Session &s) { return s.ParamsSetup(); }, true},
      {"UI update", [](Session &s) { return s.Send(PF_Cmd_UPDATE_PARAMS_UI); }, true},
      {"create", [](Session &s) { return Changed(s, kCreate); }, true},
      {"create again", [](Session &s) { return Changed(s, kCreate); }, true},
      {"colour", [](Session &s) { return Changed(s, kFirstColour); }, true},
      {"pre-render and render",
       [](Session &s) {
         RenderResult r = s.Render(s.context());
         return r.pre_render_err ? r.pre_render_err : r.render_err;
       },
       true},
      {"draw", [](Session &s) { return s.Draw(WindowKind::Comp, 0).err; }, false},
      {"click", [](Session &s) { return Click(s, false); }, false},
      {"drag", [](Session &s) { return Click(s, true); }, false},
      {"bake", [](Session &s) { return Changed(s, kBake); }, true},
  };
  return commands;
}

std::unique_ptr<Session> FreshSession(Module &module) {
  auto s = std::make_unique<Session>(module);
  Project &p = s->project();
  p.comp.width = p.layer.width = 64;
  p.comp.height = p.layer.height = 36;
  p.layer.transform = Transform{{32, 18}, {32, 18}, {100, 100}, 0};
  p.comp.work_duration = 3.0 / 30;
  return s;
}

bool Replay(Session &s, std::size_t index) {
  for (std::size_t i = 0; i < index; ++i) {
    if (Commands()[i].send(s)) return false;
  }
  return true;
}

void ExpectNoProblems(Session &s, std::size_t from, const std::string &where, CheckResult &r) {
  const auto &commands = s.commands();
  for (std::size_t i = from; i < commands.size(); ++i) {
    for (const auto &problem : commands[i].problems) Fail(r, where + ": " + problem);
  }
}

}  // namespace orvane::host::reference
