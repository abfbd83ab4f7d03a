// Goldens that cannot lie and XML that is always well-formed: the comparison of a run with a
// golden as it is read back from its file, and the escaping of text for JUnit reports.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "report/Golden.h"
#include "report/JUnit.h"

namespace {

namespace host = orvane::host;
using host::Json;

// A dump's project sections with `value` as a mask's only vertex coordinate.
Json DumpWith(const Json &value) {
  return {{"params", Json::object()}, {"masks", {{{"vertices", {{value}}}}}}};
}

// The golden as the host writes it and reads it back.
Json Written(const Json &dump) { return Json::parse(host::GoldenOf(dump).dump(1)); }

std::size_t Differences(const Json &golden_value, const Json &run_value, double tolerance) {
  return host::CompareWithGolden(Written(DumpWith(golden_value)),
                                 host::GoldenOf(DumpWith(run_value)), tolerance)
      .count;
}

TEST(Golden, NumbersThatAreNotFiniteMatchOnlyThemselves) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // A golden blessed from a run matches that run, whatever it held.
  for (double v : {nan, inf, -inf, 0.0, 1e300}) EXPECT_EQ(Differences(v, v, 0), 0u) << v;
  // With any tolerance an infinity is no finite number, nor the other infinity, nor NaN.
  for (double tolerance : {0.0, 1e-9, 1.0}) {
    EXPECT_EQ(Differences(1e300, inf, tolerance), 1u);
    EXPECT_EQ(Differences(inf, 1e300, tolerance), 1u);
    EXPECT_EQ(Differences(-inf, inf, tolerance), 1u);
    EXPECT_EQ(Differences(nan, inf, tolerance), 1u);
    EXPECT_EQ(Differences(nan, 5.0, tolerance), 1u);
  }
  EXPECT_EQ(host::GoldenOf(DumpWith(nan)).dump(), R"({"params":{},"masks":[{"vertices":[["NaN"]]}]})");
}

TEST(Golden, WholeNumbersAreComparedExactlyAndOthersWithinTheTolerance) {
  const Json big = 9007199254740993ull;  // 2^53 + 1, which a double cannot hold
  const Json near = 9007199254740992ull;
  EXPECT_EQ(Differences(big, near, 0.5), 1u);
  EXPECT_EQ(Differences(big, big, 0), 0u);
  // A tick read back unsigned from the file is the run's signed one.
  EXPECT_EQ(Differences(Json(15), Json(static_cast<long long>(15)), 0), 0u);
  EXPECT_EQ(Differences(Json(15), Json(16), 0.5), 1u);
  // -1 is not the largest unsigned number, as a cast would make it.
  EXPECT_EQ(Differences(Json(18446744073709551615ull), Json(-1), 0), 1u);
  // Fractions within the tolerance, relative to the larger.
  EXPECT_EQ(Differences(100.0, 100.5, 0.01), 0u);
  EXPECT_EQ(Differences(100.0, 102.0, 0.01), 1u);
}

TEST(JUnitText, BytesThatAreNotUtf8AndCodePointsXmlLacksBecomeTheReplacementCharacter) {
  EXPECT_EQ(host::XmlEscaped("m\xff.so"), "m\xEF\xBF\xBD.so");
  EXPECT_EQ(host::XmlEscaped("\xC3\xA9 <\"&'>"), "\xC3\xA9 &lt;&quot;&amp;&apos;&gt;");
  EXPECT_EQ(host::XmlEscaped("a\xEF\xBF\xBE" "b\xEF\xBF\xBF"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  // A surrogate written as UTF-8 is no character at all: each of its bytes is replaced.
  EXPECT_EQ(host::XmlEscaped("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(host::XmlEscaped(std::string("\x01\n", 2)), "\xEF\xBF\xBD&#10;");
}

}  // namespace
