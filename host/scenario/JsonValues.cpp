#include "scenario/JsonValues.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "model/Errors.h"
#include "report/Format.h"

namespace orvane::host {

namespace {

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

}  // namespace

std::string TypeName(const Json &v) {
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
    throw BadInput(where + ": \"" + key + "\" must be a number, not " + TypeName(v));
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
    throw BadInput(std::string("\"") + key + "\" must be an object, not " + TypeName(v));
  return v;
}

void Positive(double v, const std::string &what) {
  if (!(v > 0)) throw BadInput(what + " must be a positive number");
  // Sides, rates and tick counts are whole numbers of 32 bits in the project; a billion is well
  // inside them, and a number past it is a mistake to name as too large, not as not positive.
  if (v > 1e9)
    throw BadInput(what + " is " + CountText(v) + "; it must be a positive number, at most " +
                   CountText(1e9));
}

std::string Closest(const std::string &name, const std::vector<std::string> &candidates,
                    std::size_t most) {
  std::vector<std::pair<std::size_t, std::string>> scored;
  for (const auto &c : candidates) scored.emplace_back(EditDistance(name, c), c);
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto &x, const auto &y) { return x.first < y.first; });
  std::string out;
  for (std::size_t i = 0; i < scored.size() && i < most; ++i)
    out += (i ? ", \"" : "\"") + scored[i].second + "\"";
  return out;
}

void KnownKeys(const Json &obj, const std::string &where, const std::vector<std::string> &known) {
  if (!obj.is_object()) return;
  for (const auto &entry : obj.items()) {
    if (std::find(known.begin(), known.end(), entry.key()) != known.end()) continue;
    std::string message = "unknown key \"" + entry.key() + "\"";
    if (!where.empty()) message += " in \"" + where + "\"";
    throw BadInput(message + "; did you mean " + Closest(entry.key(), known, 1) + "?");
  }
}

void InsideComposition(double t, const Composition &comp, const std::string &what) {
  if (!std::isfinite(t) || t < 0 || t > comp.duration) {
    throw BadInput(what + " is " + (std::isfinite(t) ? NumberText(t) : std::string("not finite")) +
                   " s; the composition runs from 0 to " + NumberText(comp.duration) + " s");
  }
}

double Seconds(const Json &step, const char *key, double fallback, const Composition &comp) {
  const std::string what = std::string("\"") + key + "\"";
  const double t = Number(step, key, fallback, what);
  InsideComposition(t, comp, what);
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

Point2 PointFromJson(const Json &v, const std::string &what) {
  if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number() ||
      !std::isfinite(v[0].get<double>()) || !std::isfinite(v[1].get<double>()) ||
      std::fabs(v[0].get<double>()) > 1e6 || std::fabs(v[1].get<double>()) > 1e6) {
    throw BadInput(what + " is a window point [x, y] in pixels");
  }
  return {v[0].get<double>(), v[1].get<double>()};
}

double Finite(const Json &v, const std::string &what) {
  if (!v.is_number() || !std::isfinite(v.get<double>()) || std::fabs(v.get<double>()) > 1e6)
    throw BadInput(what + " must be a number of at most a million in size");
  return v.get<double>();
}

bool IsNumberPair(const Json &v) {
  return v.is_array() && v.size() == 2 && v[0].is_number() && v[1].is_number();
}

bool ColourBytes(const Json &v, double unit[4]) {
  if (!v.is_array() || v.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if (!v[i].is_number_integer() || v[i].get<long>() < 0 || v[i].get<long>() > 255) return false;
    unit[i] = v[i].get<long>() / 255.0;
  }
  return true;
}

RenderRequest RenderRequestFromJson(const Json &step) {
  RenderRequest r;
  if (step.contains("downsample")) {
    const Json &d = step.at("downsample");
    if (!d.is_array() || d.size() != 2 || !d[0].is_number_integer() || !d[1].is_number_integer() ||
        d[0].get<long>() < 1 || d[1].get<long>() < 1 || d[0].get<long>() > 64 ||
        d[1].get<long>() > 64) {
      throw BadInput(
          "\"downsample\" is [x, y], whole divisors from 1 to 64 ([2, 2] is half resolution)");
    }
    r.downsample_x = PF_RationalScale{1, A_u_long(d[0].get<long>())};
    r.downsample_y = PF_RationalScale{1, A_u_long(d[1].get<long>())};
  }
  const double depth = Number(step, "depth", 8, "\"depth\"");
  if (depth != 8 && depth != 16 && depth != 32)
    throw BadInput("\"depth\" is 8, 16 or 32 bits per channel");
  r.depth = int(depth);
  return r;
}

}  // namespace orvane::host
