#include "Scenario.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "Errors.h"

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
  Pair(layer, "position", t.position, "layer");
  Pair(layer, "anchor", t.anchor, "layer");
  Pair(layer, "scale", t.scale, "layer");
  t.rotation = Number(layer, "rotation", 0, "layer");
  (void)Section(scenario, "view");
}

}  // namespace

Json ParseScenario(const std::string &text, const std::string &origin) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    throw BadInput(origin + ": the file is empty");
  Json scenario;
  try {
    scenario = Json::parse(text);
  } catch (const Json::parse_error &e) {
    // Turn the byte offset into the line and column an editor shows.
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i + 1 < e.byte && i < text.size(); ++i) {
      if (text[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    std::string what = e.what();
    auto at = what.find("syntax error");
    throw BadInput(origin + ":" + std::to_string(line) + ":" + std::to_string(column) +
                   ": invalid JSON (" + (at == std::string::npos ? what : what.substr(at)) + ")");
  }
  if (!scenario.is_object())
    throw BadInput(origin + ": a scenario is a JSON object, not " + Describe(scenario));
  return scenario;
}

Json LoadScenarioFile(const std::string &path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw BadInput(path + ": no such file");
  if (S_ISDIR(st.st_mode)) throw BadInput(path + ": is a directory, not a scenario file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BadInput(path + ": cannot be read");
  std::stringstream text;
  text << in.rdbuf();
  return ParseScenario(text.str(), path);
}

const std::map<std::string, ScenarioRunner::Handler> &ScenarioRunner::Handlers() {
  static const std::map<std::string, Handler> handlers = {
      {"apply", &ScenarioRunner::DoApply},
  };
  return handlers;
}

std::vector<std::string> ScenarioRunner::StepNames() {
  std::vector<std::string> names;
  for (const auto &entry : Handlers()) names.push_back(entry.first);
  return names;
}

ScenarioRunner::ScenarioRunner(Session &session, Json scenario)
    : session_(session), scenario_(std::move(scenario)) {
  ConfigureProject(session_.project(), scenario_);
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
    std::size_t first = session_.commands().size();
    try {
      (this->*handler->second)(step, record);
    } catch (const BadInput &e) {
      throw BadInput(where + " (" + what + "): " + e.what());
    }
    const auto &all = session_.commands();
    record.commands.assign(all.begin() + long(first), all.end());
    steps_.push_back(std::move(record));
  }
}

void ScenarioRunner::Finish() {
  if (session_.global_setup_done()) session_.GlobalSetdown();
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
