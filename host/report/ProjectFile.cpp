#include "report/ProjectFile.h"

#include "report/ValueJson.h"

namespace orvane::host {

namespace {

Json Raw(const StreamValue &v) { return {v.v[0], v.v[1], v.v[2], v.v[3]}; }

Json Params(const Project &project) {
  Json out = Json::object();
  const double t = project.LayerTime(project.time);
  for (const EffectParam &param : project.effect.params) {
    if (param.name.empty() || !param.has_stream()) continue;
    Json keys = Json::array();
    for (const auto &key : param.stream.keys) {
      keys.push_back({{"time", project.CompTime(key.time)},
                      {"value", ParamValueJson(param, key.value)},
                      {"layer_time", key.time},
                      {"tick", key.at.value},
                      {"scale", key.at.scale},
                      {"raw", Raw(key.value)}});
    }
    Json entry = {{"value", ParamValueJson(param, param.KeyedAt(t))},
                  {"hidden", param.hidden},
                  {"keyframes", keys},
                  {"raw", Raw(param.stream.value)}};
    if (param.expression) {
      entry["expression"] = ExpressionJson(param);
      entry["raw_expression"] = Raw(*param.expression);
    }
    out[param.name] = entry;
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
  for (std::size_t i = 0; i < project.layer.masks.size(); ++i) {
    const Mask &mask = project.layer.masks[i];
    const Outline &still = mask.outline.value;
    Json keys = Json::array();
    for (const auto &key : mask.outline.keys) {
      keys.push_back({{"tick", key.at.value},
                      {"scale", key.at.scale},
                      {"time", project.CompTime(key.time)},
                      {"layer_time", key.time},
                      {"closed", !key.value.open},
                      {"vertices", Vertices(key.value)}});
    }
    Json entry = {
        {"index", i},
        {"id", mask.id},
        {"color", {mask.color.alphaF, mask.color.redF, mask.color.greenF, mask.color.blueF}},
        {"closed", !still.open},
        {"vertices", Vertices(still)},
        {"keyframes", keys}};
    if (mask.expression) entry["expression"] = ExpressionJson(*mask.expression);
    out.push_back(entry);
  }
  return out;
}

}  // namespace

Json ProjectFileJson(const Project &project, const Json &comp, const Json &layer) {
  Json out = Json::object();
  out["orvane_project"] = kProjectFileVersion;
  out["comp"] = comp.is_object() ? comp : Json::object();
  out["layer"] = layer.is_object() ? layer : Json::object();
  out["time"] = project.time;
  out["params"] = Params(project);
  out["masks"] = Masks(project);
  out["next_mask"] = {{"id", project.layer.next_mask_id()},
                      {"palette", project.layer.next_palette()}};
  return out;
}

}  // namespace orvane::host
