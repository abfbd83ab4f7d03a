#include "scenario/ScenarioRunner.h"

#include <new>

#include "model/Errors.h"
#include "scenario/JsonValues.h"
#include "scenario/Outputs.h"
#include "scenario/Setup.h"
#include "scenario/StepSummary.h"

namespace orvane::host {

const std::map<std::string, ScenarioRunner::Handler> &ScenarioRunner::Handlers() {
  static const std::map<std::string, Handler> handlers = {
      {"apply", &ScenarioRunner::DoApply},
      {"press", &ScenarioRunner::DoPress},
      {"set", &ScenarioRunner::DoSet},
      {"key", &ScenarioRunner::DoKey},
      {"render", &ScenarioRunner::DoRender},
      {"mask", &ScenarioRunner::DoMask},
      {"delete_mask", &ScenarioRunner::DoDeleteMask},
      {"draw", &ScenarioRunner::DoDraw},
      {"click", &ScenarioRunner::DoClick},
      {"drag", &ScenarioRunner::DoDrag},
      {"png", &ScenarioRunner::DoPng},
      {"sheet", &ScenarioRunner::DoSheet},
      {"expression", &ScenarioRunner::DoExpression},
      {"undo", &ScenarioRunner::DoUndo},
      {"redo", &ScenarioRunner::DoRedo},
      {"save", &ScenarioRunner::DoSave},
      {"open", &ScenarioRunner::DoOpen},
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
  ConfigureProject(session_.project(), scenario_);
  ConfigureView(session_.view(), scenario_);
  ConfigureHost(session_, scenario_);
  CheckProjectLimits(session_.project(), session_.view(), limits_);
  comp_ = Section(scenario_, "comp");
  layer_ = Section(scenario_, "layer");
  if (scenario_.contains("steps") && !scenario_.at("steps").is_array()) {
    throw BadInput("\"steps\" must be an array of steps");
  }
}

void ScenarioRunner::Run() {
  if (!scenario_.contains("steps")) return;
  const Json &steps = scenario_.at("steps");
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Json &step = steps[i];
    std::string where = "step " + std::to_string(i + 1);
    if (!step.is_object() || !step.contains("do") || !step.at("do").is_string()) {
      throw BadInput(where + ": a step is an object with a \"do\" naming what to do");
    }
    std::string what = step.at("do").get<std::string>();
    auto handler = Handlers().find(what);
    if (handler == Handlers().end()) {
      std::string known;
      for (const auto &name : StepNames()) known += (known.empty() ? "" : ", ") + name;
      throw BadInput(where + ": unknown step \"" + what + "\" (steps are: " + known + ")");
    }
    StepRecord record;
    record.what = what;
    if (step.contains("param") && step.at("param").is_string())
      record.what += " " + step.at("param").get<std::string>();
    if (on_step) on_step(i + 1, record.what);
    std::size_t first = session_.commands().size();
    session_.trace().SetStep(i + 1);
    const ProjectSnapshot before(session_.project());
    try {
      CheckStepLimits(step, session_.project(), session_.view(), limits_);
      (this->*handler->second)(step, record);
    } catch (const BadInput &e) {
      throw BadInput(where + " (" + what + "): " + e.what());
    } catch (const Json::exception &) {
      throw BadInput(where + " (" + what + "): a value has the wrong type or is out of range");
    } catch (const std::bad_alloc &) {
      // The module's own commands never get here (an exception out of one is its error); this
      // is the host's memory for what the step asked, on a machine smaller than the limits allow.
      throw BadInput(where + " (" + what +
                     "): out of memory: this machine cannot hold what the step asks for");
    }
    const auto &all = session_.commands();
    record.commands.assign(all.begin() + long(first), all.end());
    SummarizeStep(before, session_.project(), record);
    steps_.push_back(std::move(record));
  }
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
