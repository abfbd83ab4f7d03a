#include "Scenario.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <new>
#include <sstream>
#include <sys/stat.h>

#include "Errors.h"
#include "HostObjects.h"
#include "ParamJson.h"
#include "Raster.h"
#include "ScenarioModel.h"

namespace orvane::host {

namespace {

std::string Describe(const Json &v) {
  switch (v.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::boolean:
      return "a boolean";
    case Json::value_t::string:
      return "a string";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::object:
      return "an object";
    default:
      return "a number";
  }
}

double Number(const Json &obj, const char *key, double fallback, const std::string &where) {
  if (!obj.contains(key)) return fallback;
  const Json &v = obj.at(key);
  if (!v.is_number())
    throw BadInput(where + ": \"" + key + "\" must be a number, not " + Describe(v));
  return v.get<double>();
}

void Pair(const Json &obj, const char *key, double out[2], const std::string &where) {
  if (!obj.contains(key)) return;
  const Json &v = obj.at(key);
  if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number()) {
    throw BadInput(where + ": \"" + key + "\" must be a pair of numbers [x, y]");
  }
  out[0] = v[0].get<double>();
  out[1] = v[1].get<double>();
}

const Json &Section(const Json &scenario, const char *key) {
  static const Json empty = Json::object();
  if (!scenario.contains(key)) return empty;
  const Json &v = scenario.at(key);
  if (!v.is_object())
    throw BadInput(std::string("\"") + key + "\" must be an object, not " + Describe(v));
  return v;
}

void Positive(double v, const std::string &what) {
  if (!(v > 0) || v > 1e9) throw BadInput(what + " must be a positive number");
}

std::size_t EditDistance(const std::string &a, const std::string &b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t up = row[j];
      bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                  std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// Up to three names closest to `name`, for "did you mean" hints.
std::string Closest(const std::string &name, const std::vector<std::string> &candidates) {
  std::vector<std::pair<std::size_t, std::string>> scored;
  for (const auto &c : candidates) scored.emplace_back(EditDistance(name, c), c);
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto &x, const auto &y) { return x.first < y.first; });
  std::string out;
  for (std::size_t i = 0; i < scored.size() && i < 3; ++i)
    out += (i ? ", \"" : "\"") + scored[i].second + "\"";
  return out;
}

double Seconds(const Json &step, const char *key, double fallback) {
  double t = Number(step, key, fallback, std::string("\"") + key + "\"");
  if (!std::isfinite(t) || t < -1e6 || t > 1e6)
    throw BadInput(std::string("\"") + key + "\" is out of range");
  return t;
}

AEGP_MaskVertex VertexFromJson(const Json &v) {
  if (!v.is_array() || (v.size() != 2 && v.size() != 6)) {
    throw BadInput("a vertex is [x, y] or [x, y, in_x, in_y, out_x, out_y]");
  }
  double c[6] = {0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (!v[i].is_number() || !std::isfinite(v[i].get<double>()))
      throw BadInput("vertex coordinates must be numbers");
    c[i] = v[i].get<double>();
  }
  return AEGP_MaskVertex{c[0], c[1], c[2], c[3], c[4], c[5]};
}

void ConfigureProject(Project &project, const Json &scenario) {
  const Json &comp = Section(scenario, "comp");
  Composition &c = project.comp;
  c.width = A_long(Number(comp, "width", c.width, "comp"));
  c.height = A_long(Number(comp, "height", c.height, "comp"));
  c.fps = Number(comp, "fps", c.fps, "comp");
  c.time_scale = A_u_long(Number(comp, "time_scale", c.fps, "comp"));
  c.duration = Number(comp, "duration", c.duration, "comp");
  c.work_start = 0;
  c.work_duration = c.duration;
  if (comp.contains("work_area")) {
    const Json &wa = comp.at("work_area");
    if (!wa.is_object()) throw BadInput("comp: \"work_area\" must be an object");
    c.work_start = Number(wa, "start", c.work_start, "comp.work_area");
    c.work_duration = Number(wa, "duration", c.duration - c.work_start, "comp.work_area");
  }
  Positive(c.width, "comp width");
  Positive(c.height, "comp height");
  Positive(c.fps, "comp fps");
  Positive(c.time_scale, "comp time_scale");
  Positive(c.duration, "comp duration");

  const Json &layer = Section(scenario, "layer");
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
  view.zoom = Number(v, "zoom", 1.0, "view");
  if (!(view.zoom > 0) || view.zoom > 64)
    throw BadInput("view zoom must be above 0 and at most 64");
  Pair(v, "origin", view.origin, "view");
  if (std::fabs(view.origin[0]) > 1e5 || std::fabs(view.origin[1]) > 1e5)
    throw BadInput("view origin is out of range");
}

Point2 PointFromJson(const Json &v, const std::string &what) {
  if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number() ||
      !std::isfinite(v[0].get<double>()) || !std::isfinite(v[1].get<double>()) ||
      std::fabs(v[0].get<double>()) > 1e6 || std::fabs(v[1].get<double>()) > 1e6) {
    throw BadInput(what + " is a window point [x, y] in pixels");
  }
  return {v[0].get<double>(), v[1].get<double>()};
}

// What a step changed, for the step table: parameters, masks, undo entries.
struct Snapshot {
  std::vector<Json> values;
  std::vector<std::pair<AEGP_MaskIDVal, std::size_t>> masks;  // id and keyframe count
  std::vector<std::vector<double>> outlines;
  std::size_t undo = 0;

  explicit Snapshot(const Project &p) {
    const double t = p.LayerTime(p.time);
    for (const EffectParam &param : p.effect.params) {
      values.push_back(param.has_stream() ? ParamValueJson(param, param.stream.At(t))
                                          : Json(nullptr));
    }
    for (const Mask &m : p.layer.masks) {
      masks.emplace_back(m.id, m.outline.keys.size());
      std::vector<double> flat;
      for (const auto &v : m.outline.At(t).vertices) flat.insert(flat.end(), {v.x, v.y});
      outlines.push_back(flat);
    }
    undo = p.undo.entries.size();
  }
};

std::string Short(const Json &v) {
  std::string text = v.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

void Describe(const Snapshot &before, const Project &p, std::vector<std::string> &out) {
  const Snapshot after(p);
  std::size_t shown = 0;
  // A freshly applied effect changes every parameter; its own step line says so.
  for (std::size_t i = 0; i < after.values.size() && !before.values.empty(); ++i) {
    if (i < before.values.size() && before.values[i] == after.values[i]) continue;
    if (++shown <= 4) out.push_back(p.effect.params[i].name + " " + Short(after.values[i]));
  }
  if (shown > 4) out.push_back("and " + std::to_string(shown - 4) + " more parameters");
  if (after.masks.size() > before.masks.size())
    out.push_back(std::to_string(after.masks.size() - before.masks.size()) + " mask(s) added");
  if (after.masks.size() < before.masks.size())
    out.push_back(std::to_string(before.masks.size() - after.masks.size()) + " mask(s) removed");
  std::size_t moved = 0, keys = 0;
  for (std::size_t i = 0; i < after.masks.size() && i < before.masks.size(); ++i) {
    if (after.masks[i].first != before.masks[i].first) continue;
    moved += after.outlines[i] != before.outlines[i];
    keys += after.masks[i].second - std::min(after.masks[i].second, before.masks[i].second);
  }
  if (moved) out.push_back(std::to_string(moved) + " mask(s) reshaped");
  if (keys) out.push_back(std::to_string(keys) + " keyframes added");
  for (std::size_t i = before.undo; i < p.undo.entries.size(); ++i) {
    // Every render with "On" set is a "Move Masks" entry; those would drown the rest.
    if (p.undo.entries[i] != "Move Masks") out.push_back("undo \"" + p.undo.entries[i] + "\"");
  }
}

}  // namespace

std::string CommandName(PF_Cmd cmd) {
  static const char *const names[] = {"ABOUT",
                                      "GLOBAL_SETUP",
                                      "UNUSED_0",
                                      "GLOBAL_SETDOWN",
                                      "PARAMS_SETUP",
                                      "SEQUENCE_SETUP",
                                      "SEQUENCE_RESETUP",
                                      "SEQUENCE_FLATTEN",
                                      "SEQUENCE_SETDOWN",
                                      "DO_DIALOG",
                                      "FRAME_SETUP",
                                      "RENDER",
                                      "FRAME_SETDOWN",
                                      "USER_CHANGED_PARAM",
                                      "UPDATE_PARAMS_UI",
                                      "EVENT",
                                      "GET_EXTERNAL_DEPENDENCIES",
                                      "COMPLETELY_GENERAL",
                                      "QUERY_DYNAMIC_FLAGS",
                                      "AUDIO_RENDER",
                                      "AUDIO_SETUP",
                                      "AUDIO_SETDOWN",
                                      "ARBITRARY_CALLBACK",
                                      "SMART_PRE_RENDER",
                                      "SMART_RENDER"};
  if (cmd >= 0 && std::size_t(cmd) < sizeof names / sizeof names[0]) return names[cmd];
  return "command " + std::to_string(cmd);
}

std::string ErrorName(PF_Err err) {
  switch (err) {
    case PF_Err_NONE:
      return "PF_Err_NONE";
    case PF_Err_OUT_OF_MEMORY:
      return "PF_Err_OUT_OF_MEMORY";
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
      return "PF_Err_INTERNAL_STRUCT_DAMAGED";
    case PF_Err_INVALID_INDEX:
      return "PF_Err_INVALID_INDEX";
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
      return "PF_Err_UNRECOGNIZED_PARAM_TYPE";
    case PF_Err_INVALID_CALLBACK:
      return "PF_Err_INVALID_CALLBACK";
    case PF_Err_BAD_CALLBACK_PARAM:
      return "PF_Err_BAD_CALLBACK_PARAM";
    case PF_Interrupt_CANCEL:
      return "PF_Interrupt_CANCEL";
    case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
      return "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT";
    default:
      return "error " + std::to_string(err);
  }
}

namespace {

// Finds where and why a text fails to parse: the reader's own position of the failure, which
// its exceptions carry only for some failures (not for a number too large for a double).
struct FailureFinder : nlohmann::json_sax<Json> {
  std::size_t position = 0;
  std::string token;
  int id = 0;
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t &) override { return true; }
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool string(string_t &) override { return true; }
  bool binary(binary_t &) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t &) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t at, const std::string &last,
                   const nlohmann::detail::exception &e) override {
    position = at;
    token = last;
    id = e.id;
    return false;
  }
};

// The line and column an editor shows for the `byte`-th byte (1-based) of the text.
std::string Where(const std::string &text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

// The byte (1-based) at which arrays and objects first nest deeper than `limit`, or 0.
std::size_t TooDeep(const std::string &text, int limit) {
  int depth = 0;
  bool in_string = false, escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return i + 1;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return 0;
}

std::string Printable(std::string token) {
  if (token.size() > 24) token = token.substr(token.size() - 24);
  std::string out;
  for (unsigned char c : token) {
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace

Json ParseScenario(const std::string &text, const std::string &origin, const Limits &limits) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    throw BadInput(origin + ": the file is empty");
  if (text.size() > limits.max_file_bytes) {
    throw BadInput(origin + ": the file is " + std::to_string(text.size() >> 20) +
                   " MiB; scenarios are at most " + std::to_string(limits.max_file_bytes >> 20) +
                   " MiB");
  }
  if (std::size_t at = TooDeep(text, limits.max_nesting)) {
    // Only where the text up to that point reads as JSON; otherwise the reader says what is wrong.
    FailureFinder finder;
    if (Json::sax_parse(text.substr(0, at - 1), &finder) || finder.position >= at - 1) {
      throw BadInput(origin + ":" + Where(text, at) + ": arrays and objects nest more than " +
                     std::to_string(limits.max_nesting) + " deep");
    }
  }
  Json scenario = Json::parse(text, nullptr, false);
  if (scenario.is_discarded()) {
    FailureFinder finder;
    Json::sax_parse(text, &finder);
    std::string why;
    if (finder.id == 406) {
      why = "the number " + Printable(finder.token) + " is too large";
    } else if (finder.position == 0 || finder.position > text.size()) {
      why = "the text ends before the JSON does (an unclosed bracket, brace or string?)";
    } else {
      // The byte the reader stopped at says more than its token, which may hold what came before.
      const unsigned char c = static_cast<unsigned char>(text[finder.position - 1]);
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      if (c < 0x20)
        why = std::string("unexpected control character ") + hex + " (strings must escape it)";
      else if (c == 0x7F)
        why = std::string("unexpected byte ") + hex;
      else if (c >= 0x80 || (finder.position > 1 &&
                             static_cast<unsigned char>(text[finder.position - 2]) >= 0x80))
        why = std::string("broken UTF-8 (byte ") + hex + ")";
      else if (c == '\\')
        why = "a backslash that starts no valid escape";
      else
        why = std::string("unexpected \"") + char(c) + "\"";
    }
    // A number is located where it starts; anything else where the reader stopped.
    const std::size_t at = finder.id == 406 && finder.token.size() < finder.position
                               ? finder.position - finder.token.size() + 1
                               : finder.position;
    throw BadInput(origin + ":" + Where(text, at) + ": invalid JSON: " + why);
  }
  if (!scenario.is_object())
    throw BadInput(origin + ": a scenario is a JSON object, not " + Describe(scenario));
  return scenario;
}

std::string ReadScenarioFile(const std::string &path, const Limits &limits) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw BadInput(path + ": no such file");
  if ((st.st_mode & S_IFMT) == S_IFDIR)
    throw BadInput(path + ": is a directory, not a scenario file");
  if (std::size_t(st.st_size) > limits.max_file_bytes) {
    throw BadInput(path + ": the file is " + std::to_string(std::size_t(st.st_size) >> 20) +
                   " MiB; scenarios are at most " + std::to_string(limits.max_file_bytes >> 20) +
                   " MiB");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BadInput(path + ": cannot be read");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

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
    const Snapshot before(session_.project());
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
    Describe(before, session_.project(), record.changes);
    const auto &all = session_.commands();
    record.commands.assign(all.begin() + long(first), all.end());
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
  param.stream.Set(project.LayerTime(project.time), value);
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
  const double t = Seconds(step, "time", 0);
  StreamValue value = ParamValueFromJson(param, step.at("value"), project);
  const A_u_long scale = project.comp.time_scale;
  param.stream.SetKey(project.LayerTime(t), A_Time{A_long(std::lround(t * scale)), scale}, value);
  session_.ParamChanged(index);
}

void ScenarioRunner::DoRender(const Json &step, StepRecord &record) {
  if (!session_.project().effect.applied)
    throw BadInput("the effect is not applied yet: add {\"do\": \"apply\"} first");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time);
  CommandContext context = session_.context();
  if (step.contains("downsample")) {
    const Json &d = step.at("downsample");
    if (!d.is_array() || d.size() != 2 || !d[0].is_number_integer() || !d[1].is_number_integer() ||
        d[0].get<long>() < 1 || d[1].get<long>() < 1 || d[0].get<long>() > 64 ||
        d[1].get<long>() > 64) {
      throw BadInput(
          "\"downsample\" is [x, y], whole divisors from 1 to 64 ([2, 2] is half resolution)");
    }
    context.downsample_x = PF_RationalScale{1, A_u_long(d[0].get<long>())};
    context.downsample_y = PF_RationalScale{1, A_u_long(d[1].get<long>())};
  }
  const double depth_asked = Number(step, "depth", 8, "\"depth\"");
  if (depth_asked != 8 && depth_asked != 16 && depth_asked != 32)
    throw BadInput("\"depth\" is 8, 16 or 32 bits per channel");
  const int depth = int(depth_asked);
  RenderResult result = session_.Render(context, depth);
  if (result.rendered) {
    record.changes.push_back(std::string("rendered at ") + std::to_string(depth) +
                             " bits, output " +
                             (result.output_equals_input ? "equals" : "differs from") + " input");
  }
}

void ScenarioRunner::DoMask(const Json &step, StepRecord &) {
  Project &project = session_.project();
  Layer &layer = project.layer;
  Mask mask;
  mask.id = layer.next_mask_id++;
  mask.color = PaletteColor(layer.next_color++);
  if (step.contains("color")) {
    const Json &c = step.at("color");
    if (!c.is_array() || c.size() != 4)
      throw BadInput("\"color\" is [a, r, g, b] of bytes 0 to 255");
    double argb[4];
    for (std::size_t i = 0; i < 4; ++i) {
      if (!c[i].is_number_integer() || c[i].get<long>() < 0 || c[i].get<long>() > 255) {
        throw BadInput("\"color\" is [a, r, g, b] of bytes 0 to 255");
      }
      argb[i] = c[i].get<long>() / 255.0;
    }
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
  if (project.effect.applied) session_.Render(session_.context());
}

void ScenarioRunner::DoDeleteMask(const Json &step, StepRecord &) {
  Project &project = session_.project();
  auto &masks = project.layer.masks;
  if (!step.contains("index") || !step.at("index").is_number_integer() ||
      step.at("index").get<long>() < 0 || step.at("index").get<long>() >= long(masks.size())) {
    throw BadInput("\"index\" must be a mask index from 0 to " +
                   std::to_string(long(masks.size()) - 1));
  }
  masks.erase(masks.begin() + step.at("index").get<long>());
  if (project.effect.applied) session_.Render(session_.context());
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

void ScenarioRunner::DoDraw(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time);
  EventResult r = session_.Draw(window, project.time);
  record.changes.push_back(std::to_string(session_.drawing().size()) + " drawing operations" +
                           (r.handled ? "" : " (event not taken)"));
}

void ScenarioRunner::DoClick(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  if (!step.contains("point"))
    throw BadInput("\"click\" needs a \"point\" [x, y] in window pixels");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time);
  bool taken = session_.Drag(window, {PointFromJson(step.at("point"), "\"point\"")}, project.time);
  record.changes.push_back(taken ? "handle grabbed" : "no handle there");
}

void ScenarioRunner::DoDrag(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  if (!step.contains("points") || !step.at("points").is_array() || step.at("points").size() < 2) {
    throw BadInput("\"drag\" needs \"points\": at least two window points [x, y]");
  }
  std::vector<Point2> points;
  for (const Json &p : step.at("points")) points.push_back(PointFromJson(p, "each of \"points\""));
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time);
  bool taken = session_.Drag(window, points, project.time);
  record.changes.push_back(taken ? "handle dragged" : "no handle at the first point");
}

std::string ScenarioRunner::OutputPath(const Json &step, const char *what) const {
  if (!step.contains("file") || !step.at("file").is_string() ||
      step.at("file").get<std::string>().empty()) {
    throw BadInput(std::string("\"") + what + "\" needs a \"file\" name");
  }
  const std::string name = step.at("file").get<std::string>();
  // Pictures go into the output folder and nowhere else.
  if (name.find("..") != std::string::npos || name.front() == '/') {
    throw BadInput("\"file\" must be a name inside the output folder");
  }
  return out_dir_.empty() ? name : out_dir_ + "/" + name;
}

void ScenarioRunner::DoPng(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  const std::string path = OutputPath(step, "png");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time);
  session_.Draw(window, project.time);
  WriteWindowPng(session_, window, project.time, path, caption_);
  files_.push_back(path);
  record.changes.push_back("wrote " + path);
}

void ScenarioRunner::DoSheet(const Json &step, StepRecord &record) {
  const std::string path = OutputPath(step, "sheet");
  const Composition &comp = session_.project().comp;
  const double every = Number(step, "every", 10, "\"every\"");
  const double columns = Number(step, "columns", 6, "\"columns\"");
  const double width = Number(step, "cell_width", 320, "\"cell_width\"");
  if (!(every >= 1 && every <= 1e9) || !(columns >= 1 && columns <= 64) ||
      !(width >= 16 && width <= 4096)) {
    throw BadInput("\"every\" is at least 1, \"columns\" 1 to 64 and \"cell_width\" 16 to 4096");
  }
  // One cell per `every` frames of the work area, each showing the frame's masks.
  const std::size_t cells = SheetCells(comp, int(every));
  const SheetLayout layout = LayOutSheet(cells, int(columns), int(width), comp, limits_);
  std::vector<double> times;
  for (std::size_t i = 0; i < cells; ++i)
    times.push_back(comp.work_start + double(i) * int(every) / comp.fps);
  WriteContactSheet(session_, times, layout, path);
  files_.push_back(path);
  record.changes.push_back("wrote " + path + " (" + std::to_string(times.size()) + " frames)");
}

void ScenarioRunner::DoApply(const Json &, StepRecord &record) {
  if (session_.project().effect.applied) throw BadInput("the effect is already applied");
  PF_Err err = session_.Apply();
  if (!err) {
    record.changes.push_back("effect applied with " +
                             std::to_string(session_.project().effect.params.size()) +
                             " parameters");
  }
}

}  // namespace orvane::host
