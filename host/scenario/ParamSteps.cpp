// The steps that act on the effect and its parameters: apply, press, set, key, expression.
#include "model/Errors.h"
#include "model/Units.h"
#include "report/Names.h"
#include "scenario/JsonValues.h"
#include "scenario/ScenarioRunner.h"
#include "scenario/ValueReaders.h"

namespace orvane::host {

void ScenarioRunner::DoApply(const Json &, StepRecord &record) {
  if (session_.project().effect.applied) throw BadInput("the effect is already applied");
  const std::size_t first = session_.commands().size();
  PF_Err err = session_.Apply();
  if (!session_.project().effect.applied) {
    // Every later step needs the effect: the run ends here, with the module's own error.
    for (std::size_t i = first; i < session_.commands().size(); ++i) {
      const CommandRecord &c = session_.commands()[i];
      if (c.err)
        throw ModuleFailed("the module's " + CommandName(c.cmd) + " returned error " +
                           std::to_string(c.err) + " (" + ErrorName(c.err) +
                           "), so the effect is not applied");
    }
    throw ModuleFailed("the effect is not applied (error " + std::to_string(err) + ")");
  }
  if (!err) {
    record.changes.push_back("effect applied with " +
                             std::to_string(session_.project().effect.params.size()) +
                             " parameters");
  }
}

void ScenarioRunner::DoPress(const Json &step, StepRecord &) {
  int index = ParamIndex(step);
  const EffectParam &param = session_.project().effect.params[std::size_t(index)];
  if (param.def.param_type != PF_Param_BUTTON)
    throw BadInput("\"" + param.name + "\" is not a button");
  session_.ParamChanged(index);
}

void ScenarioRunner::DoSet(const Json &step, StepRecord &) {
  int index = ParamIndex(step);
  Project &project = session_.project();
  EffectParam &param = project.effect.params[std::size_t(index)];
  if (!step.contains("value")) throw BadInput("\"set\" needs a \"value\"");
  StreamValue value = ParamValueFromJson(param, step.at("value"), project);
  session_.BeginUserChange("Change \"" + param.name + "\"",
                           UndoHistory::ParamPart(std::size_t(index)));
  param.stream.Set(project.LayerTime(project.time), Ticks(project.time, project.comp.time_scale),
                   value);
  session_.ParamChanged(index);
}

void ScenarioRunner::DoKey(const Json &step, StepRecord &) {
  int index = ParamIndex(step);
  Project &project = session_.project();
  EffectParam &param = project.effect.params[std::size_t(index)];
  if (param.def.flags & PF_ParamFlag_CANNOT_TIME_VARY)
    throw BadInput("\"" + param.name + "\" cannot be animated");
  if (!step.contains("value")) throw BadInput("\"key\" needs a \"value\"");
  if (!step.contains("time")) throw BadInput("\"key\" needs a \"time\" in seconds");
  const double t = Seconds(step, "time", 0, project.comp);
  StreamValue value = ParamValueFromJson(param, step.at("value"), project);
  session_.BeginUserChange("Add Keyframe to \"" + param.name + "\"",
                           UndoHistory::ParamPart(std::size_t(index)));
  param.stream.SetKey(project.LayerTime(t), Ticks(t, project.comp.time_scale), value);
  session_.ParamChanged(index);
}

void ScenarioRunner::DoExpression(const Json &step, StepRecord &record) {
  if (!step.contains("value"))
    throw BadInput("\"expression\" needs a \"value\": the offset it adds, or null for none");
  Project &project = session_.project();
  if (step.contains("mask")) {
    const Json &m = step.at("mask");
    const long count = long(project.layer.masks.size());
    if (!m.is_number_integer() || m.get<long>() < 0 || m.get<long>() >= count) {
      throw BadInput("\"mask\" must be a mask index from 0 to " + std::to_string(count - 1));
    }
    auto expression = OutlineExpressionFromJson(step.at("value"));
    session_.BeginUserChange("Expression on Mask " + std::to_string(m.get<long>() + 1),
                             UndoHistory::ModelPart());
    project.layer.masks[std::size_t(m.get<long>())].expression = std::move(expression);
    record.changes.push_back("mask " + std::to_string(m.get<long>()) + " expression " +
                             step.at("value").dump());
  } else {
    const int index = ParamIndex(step);
    EffectParam &param = project.effect.params[std::size_t(index)];
    auto expression = ParamExpressionFromJson(param, step.at("value"));
    session_.BeginUserChange("Expression on \"" + param.name + "\"",
                             UndoHistory::ParamPart(std::size_t(index)));
    param.expression = expression;
  }
  project.undo.EndAction(project);
  // A changed expression changes what the controls show and what the frame looks like.
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, true);
}

}  // namespace orvane::host
