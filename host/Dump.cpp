// The project dump: the JSON sections of the command-line contract.
#include "ParamJson.h"
#include "Scenario.h"

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
          {{"time", key.time + project.layer.start}, {"value", ParamValueJson(param, key.value)}});
    }
    Json value = param.has_stream() ? ParamValueJson(param, param.stream.At(t)) : Json(nullptr);
    out[param.name] = {{"value", value}, {"hidden", param.hidden}, {"keyframes", keys}};
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
  out["host"] = Host(session);
  return out;
}

}  // namespace orvane::host
