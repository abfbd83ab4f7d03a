#include "report/Golden.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace orvane::host {

namespace {

std::string Shown(const Json &v) {
  std::string text = v.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() <= 60) return text;
  // Cut where a character starts: a golden may hold any text, and half a character shows as none.
  std::size_t cut = 57;
  while ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

// A key as a JSON path writes it: .name when it is a plain word, ["..."] otherwise.
std::string Member(const std::string &key) {
  const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
  return plain ? "." + key : "[" + Json(key).dump() + "]";
}

// A file's whole numbers read back unsigned where the run holds them signed: compared by value.
bool SameWhole(const Json &a, const Json &b) {
  const bool a_negative = !a.is_number_unsigned() && a.get<long long>() < 0;
  const bool b_negative = !b.is_number_unsigned() && b.get<long long>() < 0;
  if (a_negative || b_negative)
    return a_negative && b_negative && a.get<long long>() == b.get<long long>();
  return a.get<unsigned long long>() == b.get<unsigned long long>();
}

struct Comparer {
  double tolerance;
  std::size_t shown;
  GoldenDifferences out;

  void Differ(const std::string &path, const std::string &what) {
    if (out.first.size() < shown) out.first.push_back(path + ": " + what);
    ++out.count;
  }
  void Compare(const Json &golden, const Json &run, const std::string &path) {
    if (golden.is_number_integer() && run.is_number_integer()) {
      // Whole numbers (ticks, ids, counts) are the same number or another: 2^53 + 1 is not 2^53.
      if (!SameWhole(golden, run)) Differ(path, "golden " + Shown(golden) + ", run " + Shown(run));
      return;
    }
    if (golden.is_number() && run.is_number()) {
      const double a = golden.get<double>(), b = run.get<double>();
      if (a == b) return;
      if (std::fabs(a - b) <= tolerance * std::max(std::fabs(a), std::fabs(b))) return;
      Differ(path, "golden " + Shown(golden) + ", run " + Shown(run));
      return;
    }
    if (golden.type() != run.type()) {
      Differ(path, "golden " + Shown(golden) + ", run " + Shown(run));
      return;
    }
    if (golden.is_object()) {
      std::set<std::string> keys;
      for (const auto &item : golden.items()) keys.insert(item.key());
      for (const auto &item : run.items()) keys.insert(item.key());
      for (const std::string &key : keys) {
        if (!golden.contains(key)) {
          Differ(path + Member(key), "not in the golden, run " + Shown(run.at(key)));
        } else if (!run.contains(key)) {
          Differ(path + Member(key), "golden " + Shown(golden.at(key)) + ", not in the run");
        } else {
          Compare(golden.at(key), run.at(key), path + Member(key));
        }
      }
      return;
    }
    if (golden.is_array()) {
      const std::size_t n = std::min(golden.size(), run.size());
      for (std::size_t i = 0; i < n; ++i)
        Compare(golden[i], run[i], path + "[" + std::to_string(i) + "]");
      if (golden.size() != run.size()) {
        Differ(path, "golden has " + std::to_string(golden.size()) + " elements, run " +
                         std::to_string(run.size()));
      }
      return;
    }
    if (golden != run) Differ(path, "golden " + Shown(golden) + ", run " + Shown(run));
  }
};

// JSON has no number that is not finite (the dump writes null); a golden names each, so that it
// stays the number it was.
Json Named(const Json &v) {
  if (v.is_number_float() && !std::isfinite(v.get<double>()))
    return std::isnan(v.get<double>()) ? "NaN" : v.get<double>() > 0 ? "Infinity" : "-Infinity";
  if (v.is_array()) {
    Json out = Json::array();
    for (const Json &x : v) out.push_back(Named(x));
    return out;
  }
  if (v.is_object()) {
    Json out = Json::object();
    for (const auto &[key, x] : v.items()) out[key] = Named(x);
    return out;
  }
  return v;
}

}  // namespace

Json GoldenOf(const Json &dump) {
  return {{"params", Named(dump.at("params"))}, {"masks", Named(dump.at("masks"))}};
}

GoldenDifferences CompareWithGolden(const Json &golden, const Json &run, double tolerance,
                                    std::size_t shown) {
  Comparer c{tolerance, shown, {}};
  c.Compare(golden, run, "$");
  return c.out;
}

}  // namespace orvane::host
