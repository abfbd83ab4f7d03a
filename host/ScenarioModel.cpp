#include "ScenarioModel.h"

#include <cmath>

#include "Errors.h"
#include "Scenario.h"

namespace orvane::host {

namespace {

double Finite(const Json &v, const std::string &what) {
  if (!v.is_number() || !std::isfinite(v.get<double>()) || std::fabs(v.get<double>()) > 1e6)
    throw BadInput(what + " must be a number of at most a million in size");
  return v.get<double>();
}

bool IsNumberPair(const Json &v) {
  return v.is_array() && v.size() == 2 && v[0].is_number() && v[1].is_number();
}

// The published suites a "withhold" entry names.
std::vector<SuiteKey> SuitesNamed(const SuiteRegistry &registry, const Json &entry) {
  std::vector<SuiteKey> out;
  std::string name;
  int version = -1;
  if (entry.is_string()) {
    name = entry.get<std::string>();
  } else if (entry.is_object() && entry.contains("name") && entry.at("name").is_string() &&
             entry.contains("version") && entry.at("version").is_number_integer()) {
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
    if (!k.is_object() || !k.contains("time") || !k.contains("value"))
      throw BadInput(where + ": each keyframe is {\"time\": seconds, \"value\": ...}");
    const double t = Finite(k.at("time"), where + " time");
    const Json &v = k.at("value");
    StreamValue value;
    if (pair) {
      if (!IsNumberPair(v)) throw BadInput(where + ": a keyframe's value is [x, y]");
      value.v[0] = Finite(v[0], where + " x");
      value.v[1] = Finite(v[1], where + " y");
    } else {
      value.v[0] = Finite(v, where);
    }
    const A_u_long scale = project.comp.time_scale;
    out.SetKey(project.LayerTime(t), A_Time{A_long(std::lround(t * scale)), scale}, value);
  }
}

}  // namespace

void ConfigureHost(Session &session, const Json &scenario) {
  if (!scenario.contains("host")) return;
  const Json &host = scenario.at("host");
  if (!host.is_object()) throw BadInput("\"host\" must be an object");
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

bool IsKeyframes(const Json &section, const char *key) {
  if (!section.contains(key)) return false;
  const Json &v = section.at(key);
  return v.is_array() && !v.empty() && v[0].is_object();
}

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

std::optional<StreamValue> ParamExpressionFromJson(const EffectParam &param, const Json &value) {
  if (value.is_null()) return std::nullopt;
  const std::string name = "an expression on \"" + param.name + "\"";
  StreamValue offset;
  switch (param.def.param_type) {
    case PF_Param_POINT:
      if (!IsNumberPair(value)) throw BadInput(name + " adds a point [dx, dy]");
      offset.v[0] = Finite(value[0], name);
      offset.v[1] = Finite(value[1], name);
      return offset;
    case PF_Param_COLOR:
      if (!value.is_array() || value.size() != 4)
        throw BadInput(name + " adds a colour [a, r, g, b] in bytes (-255 to 255)");
      for (std::size_t i = 0; i < 4; ++i) {
        const double byte = Finite(value[i], name);
        if (std::fabs(byte) > 255)
          throw BadInput(name + " adds a colour [a, r, g, b] in bytes (-255 to 255)");
        offset.v[i] = byte / 255.0;
      }
      return offset;
    case PF_Param_FLOAT_SLIDER:
    case PF_Param_ANGLE:
    case PF_Param_SLIDER:
    case PF_Param_CHECKBOX:
      offset.v[0] = Finite(value, name);
      return offset;
    default:
      throw BadInput("\"" + param.name + "\" takes no expression");
  }
}

std::optional<OutlineExpression> OutlineExpressionFromJson(const Json &value) {
  if (value.is_null()) return std::nullopt;
  const char *form =
      "an expression on a mask adds [dx, dy] to every vertex, or one offset per vertex ([dx, dy] "
      "or [dx, dy, in_x, in_y, out_x, out_y])";
  OutlineExpression e;
  if (IsNumberPair(value)) {
    e.uniform = true;
    e.offsets.push_back(
        AEGP_MaskVertex{Finite(value[0], "dx"), Finite(value[1], "dy"), 0, 0, 0, 0});
    return e;
  }
  if (!value.is_array() || value.empty()) throw BadInput(form);
  for (const Json &v : value) {
    if (!v.is_array() || (v.size() != 2 && v.size() != 6)) throw BadInput(form);
    double c[6] = {0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < v.size(); ++i) c[i] = Finite(v[i], "a vertex offset");
    e.offsets.push_back(AEGP_MaskVertex{c[0], c[1], c[2], c[3], c[4], c[5]});
  }
  return e;
}

Json ExpressionJson(const EffectParam &param) {
  if (!param.expression) return nullptr;
  const double *v = param.expression->v;
  switch (param.def.param_type) {
    case PF_Param_POINT:
      return {v[0], v[1]};
    case PF_Param_COLOR:
      return {v[0] * 255, v[1] * 255, v[2] * 255, v[3] * 255};
    default:
      return v[0];
  }
}

Json VertexJson(const AEGP_MaskVertex &v) {
  if (v.tan_in_x || v.tan_in_y || v.tan_out_x || v.tan_out_y)
    return {v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y};
  return {v.x, v.y};
}

Json ExpressionJson(const OutlineExpression &e) {
  if (e.uniform) return {e.offsets[0].x, e.offsets[0].y};
  Json out = Json::array();
  for (const AEGP_MaskVertex &d : e.offsets) out.push_back(VertexJson(d));
  return out;
}

// ---- the "expression" step ----

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
    project.layer.masks[std::size_t(m.get<long>())].expression =
        OutlineExpressionFromJson(step.at("value"));
    record.changes.push_back("mask " + std::to_string(m.get<long>()) + " expression " +
                             step.at("value").dump());
  } else {
    const int index = ParamIndex(step);
    EffectParam &param = project.effect.params[std::size_t(index)];
    param.expression = ParamExpressionFromJson(param, step.at("value"));
  }
  // A changed expression changes what the controls show and what the frame looks like.
  if (project.effect.applied) {
    session_.Send(PF_Cmd_UPDATE_PARAMS_UI);
    session_.Render(session_.context());
  }
}

}  // namespace orvane::host
