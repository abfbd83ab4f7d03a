// The project dump: the JSON sections of the command-line contract.
#include "ParamJson.h"
#include "Scenario.h"
#include "ScenarioModel.h"

namespace orvane::host {

namespace {

Json Commands(const std::vector<CommandRecord> &commands) {
  Json out = Json::array();
  for (const CommandRecord &c : commands) {
    Json entry = {{"cmd", c.cmd}, {"err", c.err}};
    if (!c.message.empty()) entry["message"] = c.message;
    if (!c.problems.empty()) entry["problems"] = c.problems;
    out.push_back(entry);
  }
  return out;
}

Json Params(Session &session) {
  Json out = Json::object();
  const Project &project = session.project();
  double t = project.LayerTime(project.time);
  for (const EffectParam &param : project.effect.params) {
    if (param.name.empty()) continue;
    Json keys = Json::array();
    for (const auto &key : param.stream.keys) {
      keys.push_back(
          {{"time", project.CompTime(key.time)}, {"value", ParamValueJson(param, key.value)}});
    }
    Json value = param.has_stream() ? ParamValueJson(param, param.stream.At(t)) : Json(nullptr);
    out[param.name] = {{"value", value}, {"hidden", param.hidden}, {"keyframes", keys}};
    if (param.expression) out[param.name]["expression"] = ExpressionJson(param);
  }
  return out;
}

Json Vertices(const Outline &outline) {
  Json out = Json::array();
  for (const AEGP_MaskVertex &v : outline.vertices) out.push_back(VertexJson(v));
  return out;
}

Json Masks(const Project &project) {
  Json out = Json::array();
  const double t = project.LayerTime(project.time);
  for (std::size_t i = 0; i < project.layer.masks.size(); ++i) {
    const Mask &mask = project.layer.masks[i];
    const Outline now = mask.outline.At(t);
    Json keys = Json::array();
    for (const auto &key : mask.outline.keys) {
      keys.push_back({{"tick", key.at.value},
                      {"scale", key.at.scale},
                      {"time", project.CompTime(key.time)},
                      {"vertices", Vertices(key.value)}});
    }
    out.push_back(
        {{"index", i},
         {"id", mask.id},
         {"color", {mask.color.alphaF, mask.color.redF, mask.color.greenF, mask.color.blueF}},
         {"closed", !now.open},
         {"vertices", Vertices(now)},
         {"keyframes", keys}});
    if (mask.expression) out.back()["expression"] = ExpressionJson(*mask.expression);
  }
  return out;
}

Json Drawing(const std::vector<DrawOp> &ops) {
  Json out = Json::array();
  for (const DrawOp &op : ops) {
    const Json color = {op.color.red, op.color.green, op.color.blue, op.color.alpha};
    if (op.kind == DrawOp::Kind::Rect) {
      out.push_back({{"op", "rect"},
                     {"color", color},
                     {"rect", {op.rect.left, op.rect.top, op.rect.width, op.rect.height}}});
    } else {
      Json path = Json::array();
      for (const auto &p : op.path) path.push_back({p.x, p.y});
      out.push_back({{"op", "stroke"}, {"color", color}, {"size", op.size}, {"path", path}});
    }
  }
  return out;
}

Json Host(Session &session) {
  Json suites = Json::array();
  for (const auto &[key, use] : session.suites().uses()) {
    if (!use.acquired && !use.released && !use.refused) continue;
    suites.push_back({{"name", key.first},
                      {"version", key.second},
                      {"acquired", use.acquired},
                      {"released", use.released},
                      {"refused", use.refused}});
  }
  return {{"suites", suites},
          {"host_calls", session.trace().calls()},
          {"problems", session.problems()}};
}

}  // namespace

Json DumpProject(Session &session, const std::vector<StepRecord> &steps) {
  Json out = Json::object();
  Json step_list = Json::array();
  for (const StepRecord &step : steps) {
    step_list.push_back({{"do", step.what}, {"commands", Commands(step.commands)}});
  }
  out["steps"] = step_list;
  out["params"] = Params(session);
  out["masks"] = Masks(session.project());
  out["undo"] = session.project().undo.entries;
  out["info"] = session.project().info;
  out["draw"] = Drawing(session.drawing());
  out["host"] = Host(session);
  return out;
}

}  // namespace orvane::host
