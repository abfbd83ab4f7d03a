// The project dump: the JSON sections of the command-line contract.
#include <cmath>
#include <ostream>
#include <string>

#include "report/Dump.h"
#include "report/ValueJson.h"

namespace orvane::host {

namespace {

Json Commands(const std::vector<CommandRecord> &commands) {
  Json out = Json::array();
  for (const CommandRecord &c : commands) {
    Json entry = {{"cmd", c.cmd}, {"err", c.err}};
    if (!c.message.empty()) entry["message"] = c.message;
    if (!c.problems.empty()) entry["problems"] = c.problems;
    out.push_back(entry);
  }
  return out;
}

Json Params(Session &session) {
  Json out = Json::object();
  const Project &project = session.project();
  double t = project.LayerTime(project.time);
  for (const EffectParam &param : project.effect.params) {
    if (param.name.empty()) continue;
    Json keys = Json::array();
    for (const auto &key : param.stream.keys) {
      keys.push_back(
          {{"time", project.CompTime(key.time)}, {"value", ParamValueJson(param, key.value)}});
    }
    Json value = param.has_stream() ? ParamValueJson(param, param.KeyedAt(t)) : Json(nullptr);
    out[param.name] = {
        {"value", value}, {"hidden", param.hidden}, {"shown", param.shown}, {"keyframes", keys}};
    if (param.expression) out[param.name]["expression"] = ExpressionJson(param);
  }
  return out;
}

Json Vertices(const Outline &outline) {
  Json out = Json::array();
  for (const AEGP_MaskVertex &v : outline.vertices) out.push_back(VertexJson(v));
  return out;
}

Json KeyJson(const Project &project, const Keyframe<Outline> &key) {
  return {{"tick", key.at.value},
          {"scale", key.at.scale},
          {"time", project.CompTime(key.time)},
          {"vertices", Vertices(key.value)}};
}

// A mask without its keyframes, which come last and may be many.
Json MaskJson(const Project &project, std::size_t i) {
  const Mask &mask = project.layer.masks[i];
  const Outline now = mask.outline.At(project.LayerTime(project.time));
  Json out = {{"index", i},
              {"id", mask.id},
              {"color", {mask.color.alphaF, mask.color.redF, mask.color.greenF, mask.color.blueF}},
              {"closed", !now.open},
              {"vertices", Vertices(now)}};
  if (mask.expression) out["expression"] = ExpressionJson(*mask.expression);
  return out;
}

Json Masks(const Project &project) {
  Json out = Json::array();
  for (std::size_t i = 0; i < project.layer.masks.size(); ++i) {
    Json mask = MaskJson(project, i);
    Json keys = Json::array();
    for (const auto &key : project.layer.masks[i].outline.keys)
      keys.push_back(KeyJson(project, key));
    mask["keyframes"] = keys;
    out.push_back(mask);
  }
  return out;
}

}  // namespace

Json DrawingJson(const std::vector<DrawOp> &ops) {
  Json out = Json::array();
  for (const DrawOp &op : ops) {
    const Json color = {op.color.red, op.color.green, op.color.blue, op.color.alpha};
    if (op.kind == DrawOp::Kind::Rect) {
      out.push_back({{"op", "rect"},
                     {"color", color},
                     {"rect", {op.rect.left, op.rect.top, op.rect.width, op.rect.height}}});
    } else {
      Json path = Json::array();
      for (const auto &p : op.path) path.push_back({p.x, p.y});
      out.push_back({{"op", "stroke"}, {"color", color}, {"size", op.size}, {"path", path}});
    }
  }
  return out;
}

namespace {

Json Steps(const std::vector<StepRecord> &steps) {
  Json out = Json::array();
  for (const StepRecord &step : steps) {
    out.push_back({{"do", step.what}, {"commands", Commands(step.commands)}});
  }
  return out;
}

Json Host(Session &session) {
  Json suites = Json::array();
  for (const auto &[key, use] : session.suites().uses()) {
    if (!use.acquired && !use.released && !use.refused) continue;
    suites.push_back({{"name", key.first},
                      {"version", key.second},
                      {"acquired", use.acquired},
                      {"released", use.released},
                      {"refused", use.refused}});
  }
  return {{"suites", suites},
          {"host_calls", session.trace().calls()},
          {"problems", session.problems()}};
}

}  // namespace

Json DumpProject(Session &session, const std::vector<StepRecord> &steps) {
  Json out = Json::object();
  out["steps"] = Steps(steps);
  out["params"] = Params(session);
  out["masks"] = Masks(session.project());
  out["undo"] = session.project().undo.entries();
  out["redo"] = session.project().undo.redo_entries();
  out["info"] = session.project().info.lines();
  out["draw"] = DrawingJson(session.drawing());
  out["host"] = Host(session);
  return out;
}

namespace {

void PutPad(std::string &out, int depth) { out.append(std::size_t(depth) * 2, ' '); }

// The text of KeyJson(project, key).dump(2) at a nesting depth, without building the JSON value:
// the hour-long bake writes 5.4 million of them.
void KeyText(std::string &out, const Project &project, const Keyframe<Outline> &key, int depth) {
  out += "{\n";
  PutPad(out, depth + 1);
  out += "\"tick\": " + std::to_string(key.at.value) + ",\n";
  PutPad(out, depth + 1);
  out += "\"scale\": " + std::to_string(key.at.scale) + ",\n";
  PutPad(out, depth + 1);
  out += "\"time\": ";
  AppendJsonNumber(out, project.CompTime(key.time));
  out += ",\n";
  PutPad(out, depth + 1);
  out += "\"vertices\": ";
  const auto &vertices = key.value.vertices;
  if (vertices.empty()) out += "[]";
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const AEGP_MaskVertex &v = vertices[i];
    const bool tangents = v.tan_in_x || v.tan_in_y || v.tan_out_x || v.tan_out_y;
    const double numbers[] = {v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y};
    out += i == 0 ? "[\n" : ",\n";
    PutPad(out, depth + 2);
    out += "[\n";
    for (int n = 0; n < (tangents ? 6 : 2); ++n) {
      PutPad(out, depth + 3);
      AppendJsonNumber(out, numbers[n]);
      out += n + 1 < (tangents ? 6 : 2) ? ",\n" : "\n";
    }
    PutPad(out, depth + 2);
    out += "]";
  }
  if (!vertices.empty()) {
    out += "\n";
    PutPad(out, depth + 1);
    out += "]";
  }
  out += "\n";
  PutPad(out, depth);
  out += "}";
}

// The writer gives the same text as DumpProject(...).dump(2), but holds only one keyframe's
// JSON at a time: an hour's bake of 50 masks has 5.4 million of them.
class Writer {
 public:
  explicit Writer(std::ostream &out) : out_(out) {}
  // A value at a nesting depth: its lines after the first are indented to that depth.
  // The session keeps module text as UTF-8 (reporting what was not); should any other text slip
  // through, it is written with U+FFFD rather than ending the dump half way.
  void Value(const Json &v, int depth) {
    Text(v.dump(2, ' ', false, Json::error_handler_t::replace), depth);
  }
  void Text(const std::string &text, int depth) {
    std::size_t from = 0;
    for (std::size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1) {
      out_.write(text.data() + from, std::streamsize(nl + 1 - from));
      Pad(depth);
    }
    out_.write(text.data() + from, std::streamsize(text.size() - from));
  }
  // An array whose elements are made one at a time.
  template <typename Element>
  void Array(std::size_t count, int depth, Element element) {
    if (count == 0) {
      out_ << "[]";
      return;
    }
    out_ << "[\n";
    for (std::size_t i = 0; i < count; ++i) {
      Pad(depth + 1);
      element(i);
      out_ << (i + 1 < count ? ",\n" : "\n");
    }
    Pad(depth);
    out_ << "]";
  }
  void Key(const char *key, int depth) {
    Pad(depth);
    out_ << '"' << key << "\": ";
  }
  void Pad(int depth) {
    for (int i = 0; i < depth; ++i) out_ << "  ";
  }

 private:
  std::ostream &out_;
};

}  // namespace

void WriteProject(std::ostream &out, Session &session, const std::vector<StepRecord> &steps) {
  const Project &project = session.project();
  Writer w(out);
  out << "{\n";
  w.Key("steps", 1);
  w.Value(Steps(steps), 1);
  out << ",\n";
  w.Key("params", 1);
  w.Value(Params(session), 1);
  out << ",\n";
  w.Key("masks", 1);
  w.Array(project.layer.masks.size(), 1, [&](std::size_t i) {
    // The mask's own fields, then its keyframes one by one, then its closing brace.
    std::string head = MaskJson(project, i).dump(2, ' ', false, Json::error_handler_t::replace);
    head.resize(head.size() - 2);  // "\n}"
    w.Text(head, 2);
    out << ",\n";
    w.Key("keyframes", 3);
    const auto &keys = project.layer.masks[i].outline.keys;
    std::string text;
    w.Array(keys.size(), 3, [&](std::size_t k) {
      text.clear();
      KeyText(text, project, keys[k], 4);
      out.write(text.data(), std::streamsize(text.size()));
    });
    out << "\n";
    w.Pad(2);
    out << "}";
  });
  out << ",\n";
  w.Key("undo", 1);
  w.Value(project.undo.entries(), 1);
  out << ",\n";
  w.Key("redo", 1);
  w.Value(project.undo.redo_entries(), 1);
  out << ",\n";
  w.Key("info", 1);
  const auto &info = project.info.lines();
  w.Array(info.size(), 1, [&](std::size_t i) { w.Value(info[i], 2); });
  out << ",\n";
  w.Key("draw", 1);
  w.Value(DrawingJson(session.drawing()), 1);
  out << ",\n";
  w.Key("host", 1);
  w.Value(Host(session), 1);
  out << "\n}\n";
}

}  // namespace orvane::host
