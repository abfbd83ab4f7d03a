// The steps that add and remove masks by hand, as a user draws or deletes one.
#include "model/Errors.h"
#include "scenario/JsonValues.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

void ScenarioRunner::DoMask(const Json &step, StepRecord &) {
  Project &project = session_.project();
  session_.BeginUserChange("New Mask", UndoHistory::ModelPart());
  Layer &layer = project.layer;
  Mask mask = layer.NewMask();
  if (step.contains("color")) {
    double argb[4];
    if (!ColourBytes(step.at("color"), argb))
      throw BadInput("\"color\" is [a, r, g, b] of bytes 0 to 255");
    mask.color = AEGP_ColorVal{argb[0], argb[1], argb[2], argb[3]};
  }
  if (step.contains("closed") && !step.at("closed").is_boolean())
    throw BadInput("\"closed\" is true or false");
  mask.outline.value.open = !(step.contains("closed") && step.at("closed").get<bool>());
  if (step.contains("vertices")) {
    const Json &vs = step.at("vertices");
    if (!vs.is_array()) throw BadInput("\"vertices\" is an array of [x, y] points");
    for (const Json &v : vs) mask.outline.value.vertices.push_back(VertexFromJson(v));
  }
  layer.masks.push_back(mask);
  project.undo.EndAction(project);
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, false);
}

void ScenarioRunner::DoDeleteMask(const Json &step, StepRecord &) {
  Project &project = session_.project();
  auto &masks = project.layer.masks;
  if (!step.contains("index") || !step.at("index").is_number_integer() ||
      step.at("index").get<long>() < 0 || step.at("index").get<long>() >= long(masks.size())) {
    throw BadInput("\"index\" must be a mask index from 0 to " +
                   std::to_string(long(masks.size()) - 1));
  }
  session_.BeginUserChange("Delete Mask", UndoHistory::ModelPart());
  masks.erase(masks.begin() + step.at("index").get<long>());
  project.undo.EndAction(project);
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, false);
}

}  // namespace orvane::host
