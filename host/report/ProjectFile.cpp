#include "report/ProjectFile.h"

#include <cmath>
#include <string>

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

// A mask's own fields, without its keyframes (which are written one by one after them).
Json MaskHead(const Project &project, std::size_t i) {
  const Mask &mask = project.layer.masks[i];
  Json entry = {
      {"index", i},
      {"id", mask.id},
      {"color", {mask.color.alphaF, mask.color.redF, mask.color.greenF, mask.color.blueF}},
      {"closed", !mask.outline.value.open},
      {"vertices", Vertices(mask.outline.value)}};
  if (mask.expression) entry["expression"] = ExpressionJson(*mask.expression);
  return entry;
}

// One mask key on a line of its own, as the JSON value {"tick", "scale", "time", "layer_time",
// "closed", "vertices"} would be written, without making it: an hour's bake has millions.
void PutKey(std::string &out, const Project &project, const OutlineKeys &keys, std::size_t k) {
  const A_Time at = keys.at(k);
  out += "{\"tick\": " + std::to_string(at.value) + ", \"scale\": " + std::to_string(at.scale) +
         ", \"time\": ";
  AppendJsonNumber(out, project.CompTime(keys.time(k)));
  out += ", \"layer_time\": ";
  AppendJsonNumber(out, keys.time(k));
  const Outline outline = keys.value(k);
  out +=
      outline.open ? ", \"closed\": false, \"vertices\": [" : ", \"closed\": true, \"vertices\": [";
  for (std::size_t i = 0; i < outline.vertices.size(); ++i) {
    const AEGP_MaskVertex &v = outline.vertices[i];
    const bool tangents = v.tan_in_x || v.tan_in_y || v.tan_out_x || v.tan_out_y;
    const double numbers[] = {v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y};
    out += i ? ", [" : "[";
    for (int n = 0; n < (tangents ? 6 : 2); ++n) {
      if (n) out += ", ";
      AppendJsonNumber(out, numbers[n]);
    }
    out += "]";
  }
  out += "]}";
}

std::string Compact(const Json &v) {
  return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

void WriteProjectFile(std::ostream &out, const Project &project, const Json &comp,
                      const Json &layer) {
  out << "{\n \"orvane_project\": " << kProjectFileVersion << ",\n";
  out << " \"comp\": " << Compact(comp.is_object() ? comp : Json::object()) << ",\n";
  out << " \"layer\": " << Compact(layer.is_object() ? layer : Json::object()) << ",\n";
  std::string text;
  AppendJsonNumber(text, project.time);
  out << " \"time\": " << text << ",\n \"params\": {";
  const Json params = Params(project);
  bool first = true;
  for (const auto &[name, entry] : params.items()) {
    out << (first ? "\n  " : ",\n  ") << Compact(Json(name)) << ": " << Compact(entry);
    first = false;
  }
  out << (first ? "},\n" : "\n },\n") << " \"masks\": [";
  const auto &masks = project.layer.masks;
  for (std::size_t i = 0; i < masks.size(); ++i) {
    std::string head = Compact(MaskHead(project, i));
    head.pop_back();  // "}"
    out << (i ? ",\n  " : "\n  ") << head << ", \"keyframes\": [";
    const OutlineKeys &keys = masks[i].outline.keys;
    for (std::size_t k = 0; k < keys.size(); ++k) {
      text.clear();
      text += k ? ",\n   " : "\n   ";
      PutKey(text, project, keys, k);
      out.write(text.data(), std::streamsize(text.size()));
    }
    out << (keys.empty() ? "]}" : "\n  ]}");
  }
  out << (masks.empty() ? "],\n" : "\n ],\n");
  out << " \"next_mask\": "
      << Compact({{"id", project.layer.next_mask_id()}, {"palette", project.layer.next_palette()}})
      << "\n}\n";
}

}  // namespace orvane::host
