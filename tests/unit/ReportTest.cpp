// Goldens that cannot lie and XML that is always well-formed: the comparison of a run with a
// golden as it is read back from its file, and the escaping of text for JUnit reports.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "report/Golden.h"
#include "report/JUnit.h"
#include "report/PictureLayout.h"
#include "report/ProjectFile.h"

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
  EXPECT_EQ(host::GoldenOf(DumpWith(nan)).dump(),
            R"({"params":{},"masks":[{"vertices":[["NaN"]]}]})");
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

// A difference shows both values, each cut to 57 characters and "..." once it is over 60.
TEST(Golden, ADifferenceShowsItsValuesCutPastSixtyCharacters) {
  const std::string sixty(58, 'a'), sixty_one(59, 'b');  // 60 and 61 with their quotes
  const auto shown =
      host::CompareWithGolden(Written(DumpWith(sixty)), host::GoldenOf(DumpWith(sixty_one)), 0);
  ASSERT_EQ(shown.count, 1u);
  ASSERT_EQ(shown.first.size(), 1u);
  EXPECT_EQ(shown.first[0], "$.masks[0].vertices[0][0]: golden \"" + sixty + "\", run \"" +
                                std::string(56, 'b') + "...");
}

// A picture may be exactly as large as the limit, not a pixel more; a sheet has a cell for each
// `every`-th frame of the work area, and one for a work area shorter than a frame.
TEST(PictureLayout, PicturesUpToTheLimitAndSheetsOfTheWorkAreasFrames) {
  host::Project p;
  p.comp.width = 400;
  p.comp.height = 200;
  host::View v;
  v.zoom = 1;
  const auto at = host::WindowPicture(p, v, host::WindowKind::Comp, 400);
  EXPECT_EQ(at.width, 400);
  EXPECT_EQ(at.height, 200);
  EXPECT_THROW(host::WindowPicture(p, v, host::WindowKind::Comp, 399), std::exception);
  // The same for the height.
  p.comp.width = 100;
  p.comp.height = 300;
  EXPECT_EQ(host::WindowPicture(p, v, host::WindowKind::Comp, 300).height, 300);
  EXPECT_THROW(host::WindowPicture(p, v, host::WindowKind::Comp, 299), std::exception);
  p.comp.fps = 30;
  p.comp.work_duration = 1;  // 30 frames
  EXPECT_EQ(host::SheetCells(p.comp, 1), 30u);
  EXPECT_EQ(host::SheetCells(p.comp, 7), 5u);  // frames 0, 7, 14, 21, 28
  p.comp.work_duration = 0.01;
  EXPECT_EQ(host::SheetCells(p.comp, 1), 1u);
}

// The project file holds each value's four numbers as the project does, and each vertex of a
// mask key as two numbers, or six when it has tangents.
TEST(ProjectFileText, RawValuesAndKeyVerticesAreWrittenAsTheProjectHoldsThem) {
  host::Project p;
  p.comp.time_scale = 30;
  host::EffectParam colour;
  colour.name = "Color 1";
  colour.def.param_type = PF_Param_COLOR;
  colour.stream.value = host::StreamValue{{0.5, 0.25, 0.125, 0.0625}};
  p.effect.params.push_back(colour);
  host::Mask mask;
  mask.id = 1;
  host::Outline outline;
  outline.vertices = {AEGP_MaskVertex{1, 2, 0, 0, 0, 0}, AEGP_MaskVertex{3, 4, 5, 6, 7, 8}};
  mask.outline.SetKey(0.5, A_Time{15, 30}, outline);
  p.layer.masks.push_back(mask);
  std::ostringstream out;
  host::WriteProjectFile(out, p, Json(), Json());
  const Json file = Json::parse(out.str());
  EXPECT_EQ(file.at("params").at("Color 1").at("raw"), Json({0.5, 0.25, 0.125, 0.0625}));
  const Json &key = file.at("masks").at(0).at("keyframes").at(0);
  EXPECT_EQ(key.at("vertices"), Json({{1.0, 2.0}, {3.0, 4.0, 5.0, 6.0, 7.0, 8.0}}));
  EXPECT_EQ(key.at("tick"), 15);
  EXPECT_EQ(key.at("layer_time"), 0.5);
}

TEST(JUnitText, BytesThatAreNotUtf8AndCodePointsXmlLacksBecomeTheReplacementCharacter) {
  EXPECT_EQ(host::XmlEscaped("m\xff.so"), "m\xEF\xBF\xBD.so");
  EXPECT_EQ(host::XmlEscaped("\xC3\xA9 <\"&'>"), "\xC3\xA9 &lt;&quot;&amp;&apos;&gt;");
  EXPECT_EQ(host::XmlEscaped("a\xEF\xBF\xBE"
                             "b\xEF\xBF\xBF"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  // A surrogate written as UTF-8 is no character at all: each of its bytes is replaced.
  EXPECT_EQ(host::XmlEscaped("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(host::XmlEscaped(std::string("\x01\n", 2)), "\xEF\xBF\xBD&#10;");
}

}  // namespace
