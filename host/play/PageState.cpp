#include "play/PageState.h"

#include "model/Errors.h"
#include "model/ParamTypes.h"
#include "report/PictureLayout.h"
#include "report/ValueJson.h"

namespace orvane::host::play {

namespace {

// How the panel shows a parameter: a button, a checkbox, a point, a colour, a number, a whole
// number, a mask link, a group's name, or nothing for the input layer.
const char *Kind(const EffectParam &param) {
  switch (param.def.param_type) {
    case PF_Param_BUTTON:
      return "button";
    case PF_Param_GROUP_START:
      return "group";
    case PF_Param_GROUP_END:
      return "group_end";
    default:
      break;
  }
  switch (TypeOf(param.def).shape) {
    case ValueShape::Colour:
      return "colour";
    case ValueShape::Point:
      return "point";
    case ValueShape::Number:
      return "number";
    case ValueShape::Integer:
      return "integer";
    case ValueShape::Boolean:
      return "checkbox";
    case ValueShape::MaskId:
      return "mask";
    case ValueShape::None:
      break;
  }
  return "none";
}

}  // namespace

Json ControlValues(const Project &project) {
  Json out = Json::object();
  const double t = project.LayerTime(project.time);
  for (const EffectParam &param : project.effect.params) {
    if (!param.name.empty() && param.has_stream())
      out[param.name] = ParamValueJson(param, param.At(t, false));
  }
  return out;
}

namespace {

Json Controls(const Project &project) {
  Json out = Json::array();
  const double t = project.LayerTime(project.time);
  for (std::size_t i = 0; i < project.effect.params.size(); ++i) {
    const EffectParam &param = project.effect.params[i];
    // A group's end has no name, but the panel needs it to know where the group's rows stop.
    const std::string kind = Kind(param);
    if (param.name.empty() && kind != "group_end") continue;
    Json control = {{"name", param.name}, {"kind", kind}, {"hidden", param.hidden}};
    if (!param.text.empty()) control["text"] = param.text;
    if (param.has_stream()) {
      control["value"] = ParamValueJson(param, param.At(t, false));
      Json keys = Json::array();
      for (const auto &key : param.stream.keys) keys.push_back(project.CompTime(key.time));
      control["keys"] = keys;
      control["animatable"] = !(param.def.flags & PF_ParamFlag_CANNOT_TIME_VARY);
      if (param.expression) control["expression"] = true;
    }
    double lo = 0, hi = 0;
    if (TypeOf(param.def).range(param.def, &lo, &hi)) control["range"] = {lo, hi};
    if (const char *unit = TypeOf(param.def).unit) control["unit"] = unit;
    out.push_back(control);
  }
  return out;
}

Json Masks(const Project &project) {
  Json out = Json::array();
  const double t = project.LayerTime(project.time);
  for (std::size_t i = 0; i < project.layer.masks.size(); ++i) {
    const Mask &mask = project.layer.masks[i];
    const Outline now = mask.At(t, false);
    Json vertices = Json::array();
    for (const AEGP_MaskVertex &v : now.vertices) vertices.push_back(VertexJson(v));
    Json keys = Json::array();
    for (const auto &key : mask.outline.keys) keys.push_back(project.CompTime(key.time));
    out.push_back({{"index", i},
                   {"id", mask.id},
                   {"color", {mask.color.redF, mask.color.greenF, mask.color.blueF}},
                   {"closed", !now.open},
                   {"vertices", vertices},
                   {"keys", keys}});
  }
  return out;
}

// A window's picture size, or why there is none: a composition may be larger than the pictures
// the host draws, and the page says so instead of showing nothing.
Json WindowSize(const Project &p, const View &v, WindowKind window) {
  try {
    const PictureSize size = WindowPicture(p, v, window);
    return {{"size", {size.width, size.height}}};
  } catch (const BadInput &e) {
    return {{"error", e.what()}};
  }
}

// The undo history as the History panel lists it: what made each entry (the user, or a
// render's live update) and the groups a drag's entry took in; `redo` next first.
Json Entry(const UndoHistory::Entry &entry) {
  Json joined = Json::array();
  for (const auto &[name, count] : entry.joined) joined.push_back({name, count});
  return {{"name", entry.name}, {"by_render", entry.by_render}, {"joined", joined}};
}

Json History(const UndoHistory &undo) {
  Json out = Json::array();
  for (const UndoHistory::Entry &entry : undo.records()) out.push_back(Entry(entry));
  return out;
}

Json Redo(const UndoHistory &undo) {
  Json out = Json::array();
  const auto &redo = undo.redo_records();
  for (auto it = redo.rbegin(); it != redo.rend(); ++it) out.push_back(Entry(*it));
  return out;
}

}  // namespace

Json PageState(Session &session, std::size_t steps_played) {
  const Project &p = session.project();
  const View &v = session.view();
  return {{"applied", p.effect.applied},
          {"controls", Controls(p)},
          {"masks", Masks(p)},
          {"undo", p.undo.entries()},
          {"history", History(p.undo)},
          {"redo", Redo(p.undo)},
          {"info", p.info.lines()},
          {"time", p.time},
          {"comp",
           {{"width", p.comp.width},
            {"height", p.comp.height},
            {"fps", p.comp.fps},
            {"duration", p.comp.duration},
            {"work_area", {p.comp.work_start, p.comp.work_duration}}}},
          {"layer", {{"width", p.layer.width}, {"height", p.layer.height}}},
          {"view", {{"zoom", v.zoom}, {"origin", {v.origin[0], v.origin[1]}}}},
          {"windows",
           {{"comp", WindowSize(p, v, WindowKind::Comp)},
            {"layer", WindowSize(p, v, WindowKind::Layer)}}},
          {"steps", steps_played}};
}

}  // namespace orvane::host::play
