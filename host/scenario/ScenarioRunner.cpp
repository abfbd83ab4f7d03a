#include "scenario/ScenarioRunner.h"

#include <algorithm>
#include <new>

#include "model/Errors.h"
#include "scenario/JsonValues.h"
#include "scenario/Outputs.h"
#include "scenario/Setup.h"
#include "scenario/StepSummary.h"

namespace orvane::host {

const std::map<std::string, ScenarioRunner::StepKind> &ScenarioRunner::Handlers() {
  static const std::map<std::string, StepKind> handlers = {
      {"apply", {&ScenarioRunner::DoApply, {}}},
      {"press", {&ScenarioRunner::DoPress, {"param"}}},
      {"set", {&ScenarioRunner::DoSet, {"param", "value"}}},
      {"key", {&ScenarioRunner::DoKey, {"param", "value", "time"}}},
      {"render", {&ScenarioRunner::DoRender, {"time", "depth", "downsample"}}},
      {"mask", {&ScenarioRunner::DoMask, {"vertices", "closed", "color"}}},
      {"delete_mask", {&ScenarioRunner::DoDeleteMask, {"index"}}},
      {"draw", {&ScenarioRunner::DoDraw, {"window", "time"}}},
      {"click", {&ScenarioRunner::DoClick, {"window", "point", "time"}}},
      {"drag", {&ScenarioRunner::DoDrag, {"window", "points", "time"}}},
      {"png", {&ScenarioRunner::DoPng, {"window", "file", "time"}}},
      {"sheet", {&ScenarioRunner::DoSheet, {"file", "every", "columns", "cell_width"}}},
      {"expression", {&ScenarioRunner::DoExpression, {"param", "mask", "value"}}},
      {"undo", {&ScenarioRunner::DoUndo, {"count"}}},
      {"redo", {&ScenarioRunner::DoRedo, {"count"}}},
      {"save", {&ScenarioRunner::DoSave, {"file"}}},
      {"open", {&ScenarioRunner::DoOpen, {"file"}}},
  };
  return handlers;
}

std::vector<std::string> ScenarioRunner::StepNames() {
  std::vector<std::string> names;
  for (const auto &entry : Handlers()) names.push_back(entry.first);
  return names;
}

ScenarioRunner::ScenarioRunner(Session &session, Json scenario, const Limits &limits)
    : session_(session), scenario_(std::move(scenario)), limits_(limits) {
  CheckScenarioLimits(scenario_, limits_);
  KnownKeys(scenario_, "", {"comp", "layer", "view", "host", "steps"});
  ConfigureProject(session_.project(), scenario_);
  ConfigureView(session_.view(), scenario_);
  ConfigureHost(session_, scenario_);
  CheckProjectLimits(session_.project(), session_.view(), limits_);
  if (scenario_.contains("steps") && scenario_.at("steps").is_array())
    CheckRunLimits(session_.project(), scenario_.at("steps").size(), limits_);
  comp_ = Section(scenario_, "comp");
  layer_ = Section(scenario_, "layer");
  if (scenario_.contains("steps") && !scenario_.at("steps").is_array()) {
    throw BadInput("\"steps\" must be an array of steps");
  }
}

void ScenarioRunner::Run() {
  if (!scenario_.contains("steps")) return;
  const Json &steps = scenario_.at("steps");
  for (std::size_t i = 0; i < steps.size(); ++i) RunStep(steps[i], i + 1);
}

namespace {

// The step's "do", checked to name a step.
std::string StepName(const Json &step, std::size_t number, const std::vector<std::string> &known) {
  const std::string where = "step " + std::to_string(number);
  if (!step.is_object() || !step.contains("do") || !step.at("do").is_string()) {
    throw BadInput(where + ": a step is an object with a \"do\" naming what to do");
  }
  std::string what = step.at("do").get<std::string>();
  if (std::find(known.begin(), known.end(), what) == known.end()) {
    std::string names;
    for (const auto &name : known) names += (names.empty() ? "" : ", ") + name;
    throw BadInput(where + ": unknown step \"" + what + "\" (steps are: " + names + ")");
  }
  return what;
}

}  // namespace

void ScenarioRunner::Guarded(std::size_t number, const std::string &what,
                             const std::function<void()> &work) {
  const std::string where = "step " + std::to_string(number);
  try {
    work();
  } catch (const BadInput &e) {
    throw BadInput(where + " (" + what + "): " + e.what());
  } catch (const ModuleFailed &e) {
    throw ModuleFailed(where + " (" + what + "): " + e.what());
  } catch (const Json::exception &) {
    throw BadInput(where + " (" + what + "): a value has the wrong type or is out of range");
  } catch (const std::bad_alloc &) {
    // The module's own commands never get here (an exception out of one is its error); this
    // is the host's memory for what the step asked, on a machine smaller than the limits allow.
    throw BadInput(where + " (" + what +
                   "): out of memory: this machine cannot hold what the step asks for");
  }
}

void ScenarioRunner::CheckKeys(const Json &step, const StepKind &kind) {
  std::vector<std::string> keys = kind.keys;
  keys.insert(keys.begin(), "do");
  KnownKeys(step, "", keys);
}

ScenarioRunner::Pending ScenarioRunner::StartRecord(const std::string &what, std::size_t number) {
  // One step is under way at a time (a live drag refuses others), so one summary serves.
  summary_.Begin(session_.project());
  Pending pending;
  pending.record.what = what;
  if (on_step) on_step(number, what);
  pending.first_command = session_.commands().size();
  session_.trace().SetStep(number);
  return pending;
}

void ScenarioRunner::EndRecord(Pending &pending) {
  const auto &all = session_.commands();
  pending.record.commands.assign(all.begin() + long(pending.first_command), all.end());
  summary_.Finish(session_.project(), pending.record);
  steps_.push_back(std::move(pending.record));
}

void ScenarioRunner::RunStep(const Json &step, std::size_t number) {
  if (live_.active) throw BadInput("step " + std::to_string(number) + ": the mouse is still down");
  const std::string what = StepName(step, number, StepNames());
  const StepKind &kind = Handlers().at(what);
  Guarded(number, what, [&] { CheckKeys(step, kind); });
  std::string title = what;
  if (step.contains("param") && step.at("param").is_string())
    title += " " + step.at("param").get<std::string>();
  Pending pending = StartRecord(title, number);
  Guarded(number, what, [&] {
    if (!writes_files_ && WritesFile(step))
      throw BadInput("this session writes no files; \"" + what + "\" needs orvane-host run");
    CheckStepLimits(step, session_.project(), session_.view(), limits_);
    (this->*kind.handler)(step, pending.record);
  });
  EndRecord(pending);
}

void ScenarioRunner::Finish() {
  if (session_.global_setup_done()) session_.GlobalSetdown();
}

int ScenarioRunner::ParamIndex(const Json &step) const {
  const EffectInstance &effect = session_.project().effect;
  if (!effect.applied)
    throw BadInput("the effect is not applied yet: add {\"do\": \"apply\"} first");
  if (!step.contains("param") || !step.at("param").is_string()) {
    throw BadInput("\"param\" must name a parameter, e.g. \"Center 1\"");
  }
  const std::string name = step.at("param").get<std::string>();
  int index = effect.FindParam(name);
  if (index < 0) {
    std::vector<std::string> names;
    for (const EffectParam &p : effect.params) {
      if (!p.name.empty()) names.push_back(p.name);
    }
    throw BadInput("unknown parameter \"" + name + "\"; did you mean " + Closest(name, names) +
                   "?");
  }
  return index;
}

WindowKind ScenarioRunner::Window(const Json &step) const {
  if (!session_.project().effect.applied)
    throw BadInput("the effect is not applied yet: add {\"do\": \"apply\"} first");
  if (!step.contains("window")) return WindowKind::Comp;
  const Json &w = step.at("window");
  if (w == "comp") return WindowKind::Comp;
  if (w == "layer") return WindowKind::Layer;
  throw BadInput("\"window\" is \"comp\" or \"layer\"");
}

std::string ScenarioRunner::OutputPath(const Json &step, const char *what) const {
  return PicturePath(out_dir_, step, what, true);
}

}  // namespace orvane::host
