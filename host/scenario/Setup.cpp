#include "scenario/Setup.h"

#include <cmath>

#include "model/Errors.h"
#include "model/Units.h"
#include "report/Format.h"
#include "scenario/JsonValues.h"

namespace orvane::host {

namespace {

// The published suites a "withhold" entry names.
std::vector<SuiteKey> SuitesNamed(const SuiteRegistry &registry, const Json &entry) {
  std::vector<SuiteKey> out;
  std::string name;
  int version = -1;
  if (entry.is_string()) {
    name = entry.get<std::string>();
  } else if (entry.is_object() && entry.contains("name") && entry.at("name").is_string() &&
             entry.contains("version") && entry.at("version").is_number_integer()) {
    KnownKeys(entry, "host.withhold", {"name", "version"});
    name = entry.at("name").get<std::string>();
    version = entry.at("version").get<int>();
  } else {
    throw BadInput(
        "host: each of \"withhold\" is a suite name, a name ending in \"*\", or {\"name\", "
        "\"version\"}");
  }
  const bool prefix = !name.empty() && name.back() == '*';
  const std::string stem = prefix ? name.substr(0, name.size() - 1) : name;
  std::string known;
  for (const auto &[key, use] : registry.uses()) {
    if (!use.provided) continue;
    if (known.find("\"" + key.first + "\"") == std::string::npos)
      known += (known.empty() ? "\"" : ", \"") + key.first + "\"";
    const bool named = prefix ? key.first.rfind(stem, 0) == 0 : key.first == name;
    if (named && (version < 0 || key.second == version)) out.push_back(key);
  }
  if (out.empty()) {
    throw BadInput("host: \"withhold\" names no suite this host publishes: \"" + name + "\"" +
                   (version >= 0 ? " " + std::to_string(version) : "") + " (it publishes " + known +
                   ")");
  }
  return out;
}

// A keyframed transform component: [{"time": seconds, "value": [x, y] or a number}, ...].
void TransformKeysFromJson(Project &project, const Json &keys, const char *key, bool pair,
                           Animatable<StreamValue> &out) {
  const std::string where = std::string("layer: \"") + key + "\"";
  if (keys.empty()) throw BadInput(where + " has no keyframes");
  for (const Json &k : keys) {
    KnownKeys(k, std::string("layer.") + key, {"time", "value"});
    if (!k.is_object() || !k.contains("time") || !k.contains("value"))
      throw BadInput(where + ": each keyframe is {\"time\": seconds, \"value\": ...}");
    const double t = Finite(k.at("time"), where + " time");
    InsideComposition(t, project.comp, where + ": a keyframe's time");
    const Json &v = k.at("value");
    StreamValue value;
    if (pair) {
      if (!IsNumberPair(v)) throw BadInput(where + ": a keyframe's value is [x, y]");
      value.v[0] = Finite(v[0], where + " x");
      value.v[1] = Finite(v[1], where + " y");
    } else {
      value.v[0] = Finite(v, where);
    }
    out.SetKey(project.LayerTime(t), Ticks(t, project.comp.time_scale), value);
  }
}

// Whether a "layer" key holds keyframes ([{"time", "value"}, ...]) rather than a static value.
bool IsKeyframes(const Json &section, const char *key) {
  if (!section.contains(key)) return false;
  const Json &v = section.at(key);
  return v.is_array() && !v.empty() && v[0].is_object();
}

// "layer": "stretch" (percent) and the keyframed forms of "position", "anchor", "scale" and
// "rotation"; key times are composition seconds.
void ConfigureLayerAnimation(Project &project, const Json &layer) {
  Layer &l = project.layer;
  if (layer.contains("stretch")) {
    l.stretch = Finite(layer.at("stretch"), "layer: \"stretch\"");
    if (!(l.stretch >= 1) || l.stretch > 100000)
      throw BadInput("layer: \"stretch\" is a percentage from 1 to 100000");
  }
  TransformKeys &k = l.transform_keys;
  if (IsKeyframes(layer, "position"))
    TransformKeysFromJson(project, layer.at("position"), "position", true, k.position);
  if (IsKeyframes(layer, "anchor"))
    TransformKeysFromJson(project, layer.at("anchor"), "anchor", true, k.anchor);
  if (IsKeyframes(layer, "scale"))
    TransformKeysFromJson(project, layer.at("scale"), "scale", true, k.scale);
  if (IsKeyframes(layer, "rotation"))
    TransformKeysFromJson(project, layer.at("rotation"), "rotation", false, k.rotation);
}

// The ticks a second of a frame rate given without a time scale, such that every frame is a
// whole number of ticks: the rate itself when it is whole; for 29.97, 23.976 and their kin the
// broadcast scales (30000 ticks a second, 1001 a frame), with the rate made exact, since 29.97
// taken at its word puts frame 1000 a tick away from where the application has it; else the
// smallest scale that holds a frame in at most 1,000 ticks (fps 0.5: one tick a second). Any
// other rate needs its time scale from the user.
void PickTimeScale(Composition &c) {
  if (c.fps == std::floor(c.fps)) {
    c.time_scale = A_u_long(c.fps);
    return;
  }
  const double whole = std::round(c.fps * 1.001);
  if (whole >= 1 && std::fabs(c.fps - whole / 1.001) < 0.0005 && whole * 1000 <= 1e9) {
    c.time_scale = A_u_long(whole * 1000);
    c.fps = whole * 1000 / 1001;
    return;
  }
  for (int ticks_a_frame = 2; ticks_a_frame <= 1000; ++ticks_a_frame) {
    const double scale = c.fps * ticks_a_frame;
    if (std::fabs(scale - std::round(scale)) < 1e-9 * scale && scale >= 0.5 && scale <= 1e9) {
      c.time_scale = A_u_long(std::round(scale));
      return;
    }
  }
  throw BadInput("comp fps " + NumberText(c.fps) +
                 " is no whole number of ticks a frame at any time scale up to 1,000 ticks a "
                 "frame; give comp \"time_scale\" (ticks a second)");
}

}  // namespace

void ConfigureHost(Session &session, const Json &scenario) {
  if (!scenario.contains("host")) return;
  const Json &host = scenario.at("host");
  if (!host.is_object()) throw BadInput("\"host\" must be an object");
  KnownKeys(host, "host", {"app", "refusal", "withhold"});
  if (host.contains("app")) {
    const Json &app = host.at("app");
    if (app == "AE") {
      session.set_appl_id(Session::kAfterEffects);
    } else if (app == "PrMr") {
      session.set_appl_id(Session::kPremierePro);
    } else {
      throw BadInput("host: \"app\" is \"AE\" (After Effects) or \"PrMr\" (Premiere Pro)");
    }
  }
  if (host.contains("refusal")) {
    const Json &r = host.at("refusal");
    if (r == "error") {
      session.suites().set_refusal(Refusal::ErrorNoTable);
    } else if (r == "null") {
      session.suites().set_refusal(Refusal::NullTable);
    } else if (r == "error_with_table") {
      session.suites().set_refusal(Refusal::ErrorWithTable);
    } else {
      throw BadInput(
          "host: \"refusal\" is \"error\" (an error, no table), \"null\" (success, a null "
          "table) or \"error_with_table\"");
    }
  }
  if (host.contains("withhold")) {
    const Json &list = host.at("withhold");
    if (!list.is_array()) throw BadInput("host: \"withhold\" is a list of suites");
    for (const Json &entry : list) {
      for (const SuiteKey &key : SuitesNamed(session.suites(), entry))
        session.suites().Withhold(key.first, key.second);
    }
  }
}

void ConfigureProject(Project &project, const Json &scenario) {
  const Json &comp = Section(scenario, "comp");
  KnownKeys(comp, "comp", {"width", "height", "fps", "time_scale", "duration", "work_area"});
  Composition &c = project.comp;
  c.width = A_long(Number(comp, "width", c.width, "comp"));
  c.height = A_long(Number(comp, "height", c.height, "comp"));
  c.fps = Number(comp, "fps", c.fps, "comp");
  Positive(c.fps, "comp fps");
  if (comp.contains("time_scale")) {
    const double scale = Number(comp, "time_scale", 0, "comp");
    Positive(scale, "comp time_scale");
    if (scale != std::floor(scale))
      throw BadInput("comp time_scale is " + NumberText(scale) +
                     "; it counts ticks a second, a whole number");
    c.time_scale = A_u_long(scale);
  } else {
    PickTimeScale(c);
  }
  c.duration = Number(comp, "duration", c.duration, "comp");
  Positive(c.width, "comp width");
  Positive(c.height, "comp height");
  Positive(c.time_scale, "comp time_scale");
  Positive(c.duration, "comp duration");
  c.work_start = 0;
  c.work_duration = c.duration;
  if (comp.contains("work_area")) {
    const Json &wa = comp.at("work_area");
    if (!wa.is_object()) throw BadInput("comp: \"work_area\" must be an object");
    KnownKeys(wa, "comp.work_area", {"start", "duration"});
    c.work_start = Number(wa, "start", c.work_start, "comp.work_area");
    c.work_duration = Number(wa, "duration", c.duration - c.work_start, "comp.work_area");
    // A bake keys every frame of the work area, so one outside the composition would key
    // frames the composition does not have.
    if (!(c.work_start >= 0 && c.work_start < c.duration) || !(c.work_duration > 0) ||
        c.work_start + c.work_duration > c.duration * (1 + 1e-12)) {
      throw BadInput("comp work_area runs from " + NumberText(c.work_start) + " s for " +
                     NumberText(c.work_duration) + " s; it must lie inside the composition, 0 to " +
                     NumberText(c.duration) + " s, and last more than 0 s");
    }
  }

  const Json &layer = Section(scenario, "layer");
  KnownKeys(layer, "layer",
            {"width", "height", "start", "position", "anchor", "scale", "rotation", "stretch"});
  Layer &l = project.layer;
  l.width = A_long(Number(layer, "width", c.width, "layer"));
  l.height = A_long(Number(layer, "height", c.height, "layer"));
  Positive(l.width, "layer width");
  Positive(l.height, "layer height");
  l.start = Number(layer, "start", 0, "layer");
  Transform &t = l.transform;
  t.position[0] = c.width / 2.0;
  t.position[1] = c.height / 2.0;
  t.anchor[0] = l.width / 2.0;
  t.anchor[1] = l.height / 2.0;
  // Keyframed components are read with the other host-model keys below.
  if (!IsKeyframes(layer, "position")) Pair(layer, "position", t.position, "layer");
  if (!IsKeyframes(layer, "anchor")) Pair(layer, "anchor", t.anchor, "layer");
  if (!IsKeyframes(layer, "scale")) Pair(layer, "scale", t.scale, "layer");
  if (!IsKeyframes(layer, "rotation")) t.rotation = Number(layer, "rotation", 0, "layer");
  ConfigureLayerAnimation(project, layer);
}

void ConfigureView(View &view, const Json &scenario) {
  const Json &v = Section(scenario, "view");
  KnownKeys(v, "view", {"zoom", "origin"});
  view.zoom = Number(v, "zoom", 1.0, "view");
  if (!(view.zoom > 0) || view.zoom > 64)
    throw BadInput("view zoom must be above 0 and at most 64");
  Pair(v, "origin", view.origin, "view");
  if (std::fabs(view.origin[0]) > 1e5 || std::fabs(view.origin[1]) > 1e5)
    throw BadInput("view origin is out of range");
}

}  // namespace orvane::host
