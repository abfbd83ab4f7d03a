// Goldens that cannot lie and XML that is always well-formed: the comparison of a run with a
// golden as it is read back from its file, and the escaping of text for JUnit reports.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "report/Format.h"
#include "report/Golden.h"
#include "report/JUnit.h"
#include "report/Names.h"
#include "report/PictureLayout.h"
#include "report/ProjectFile.h"
#include "report/ValueJson.h"

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
  EXPECT_EQ(Differences(Json(0), Json(static_cast<long long>(0)), 0), 0u);
  EXPECT_EQ(Differences(Json(-3), Json(static_cast<long long>(-3)), 0), 0u);
  // Either side may be the one held signed.
  EXPECT_EQ(host::CompareWithGolden(host::GoldenOf(DumpWith(Json(static_cast<long long>(0)))),
                                    host::GoldenOf(DumpWith(Json(0u))), 0)
                .count,
            0u);
  EXPECT_EQ(Differences(Json(15), Json(16), 0.5), 1u);
  // A whole number against a fraction is compared as numbers, not cut to a whole one.
  EXPECT_EQ(Differences(Json(2), Json(2.5), 0), 1u);
  EXPECT_EQ(Differences(Json(2.5), Json(2), 0), 1u);
  EXPECT_EQ(Differences(Json(2), Json(2.0), 0), 0u);
  // -1 is not the largest unsigned number, as a cast would make it.
  EXPECT_EQ(Differences(Json(18446744073709551615ull), Json(-1), 0), 1u);
  // Fractions within the tolerance, relative to the larger.
  EXPECT_EQ(Differences(100.0, 100.5, 0.01), 0u);
  EXPECT_EQ(Differences(100.0, 102.0, 0.01), 1u);
  // A difference of just the tolerance is within it: 2 from 4 is a half of the larger.
  EXPECT_EQ(Differences(2.0, 4.0, 0.5), 0u);
  EXPECT_EQ(Differences(4.0, 2.0, 0.5), 0u);
  EXPECT_EQ(Differences(2.0, 4.0, 0.4375), 1u);
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
  // Text is shown as itself, not escaped, and cut where a character starts: with its quotes,
  // "x" and thirty two-byte characters are 62 bytes, and 57 would end inside the 28th.
  const std::string e_acute = "\xC3\xA9";
  std::string accented = "x", cut = "\"x";
  for (int i = 0; i < 30; ++i) accented += e_acute;
  for (int i = 0; i < 27; ++i) cut += e_acute;
  const auto accents =
      host::CompareWithGolden(Written(DumpWith("x")), host::GoldenOf(DumpWith(accented)), 0);
  ASSERT_EQ(accents.first.size(), 1u);
  EXPECT_EQ(accents.first[0], "$.masks[0].vertices[0][0]: golden \"x\", run " + cut + "...");
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
  EXPECT_EQ(host::XmlEscaped("\r\t\x1f\x7f \x7e"), "&#13;&#9;\xEF\xBF\xBD\xEF\xBF\xBD ~");
}

// Counts as people read them in messages, sizes in MiB up to a GiB, and numbers to six digits.
TEST(MessageNumbers, ThousandsAreSeparatedAndSizesAndNumbersRounded) {
  EXPECT_EQ(host::CountText(0), "0");
  EXPECT_EQ(host::CountText(999), "999");
  EXPECT_EQ(host::CountText(1000), "1,000");
  EXPECT_EQ(host::CountText(108000), "108,000");
  EXPECT_EQ(host::CountText(1234567), "1,234,567");
  EXPECT_EQ(host::CountText(-100), "-100");
  EXPECT_EQ(host::CountText(-1234), "-1,234");
  EXPECT_EQ(host::CountText(-123456), "-123,456");
  EXPECT_EQ(host::CountText(999999999999999), "999,999,999,999,999");
  EXPECT_EQ(host::CountText(2.5e15), "2.5e+15");
  EXPECT_EQ(host::CountText(-1e15), "-1e+15");
  EXPECT_EQ(host::BytesText(1048576 * 1.5), "1.5 MiB");
  EXPECT_EQ(host::BytesText(1073741823), "1024.0 MiB");
  EXPECT_EQ(host::BytesText(1073741824), "1.0 GiB");
  EXPECT_EQ(host::BytesText(3221225472.0), "3.0 GiB");
  EXPECT_EQ(host::NumberText(29.97), "29.97");
  EXPECT_EQ(host::NumberText(2.5e10), "2.5e+10");
  EXPECT_EQ(host::NumberText(1.0 / 3), "0.333333");
}

TEST(MessageNames, CommandsAndErrorsAsTheSdkSpellsThem) {
  EXPECT_EQ(host::CommandName(PF_Cmd_ABOUT), "ABOUT");
  EXPECT_EQ(host::CommandName(PF_Cmd_RENDER), "RENDER");
  EXPECT_EQ(host::CommandName(PF_Cmd_EVENT), "EVENT");
  EXPECT_EQ(host::CommandName(PF_Cmd_SMART_RENDER), "SMART_RENDER");
  EXPECT_EQ(host::CommandName(PF_Cmd_SMART_RENDER + 1), "command 25");
  EXPECT_EQ(host::CommandName(-1), "command -1");
  const std::pair<PF_Err, const char *> errors[] = {
      {PF_Err_NONE, "PF_Err_NONE"},
      {PF_Err_OUT_OF_MEMORY, "PF_Err_OUT_OF_MEMORY"},
      {PF_Err_INTERNAL_STRUCT_DAMAGED, "PF_Err_INTERNAL_STRUCT_DAMAGED"},
      {PF_Err_INVALID_INDEX, "PF_Err_INVALID_INDEX"},
      {PF_Err_UNRECOGNIZED_PARAM_TYPE, "PF_Err_UNRECOGNIZED_PARAM_TYPE"},
      {PF_Err_INVALID_CALLBACK, "PF_Err_INVALID_CALLBACK"},
      {PF_Err_BAD_CALLBACK_PARAM, "PF_Err_BAD_CALLBACK_PARAM"},
      {PF_Interrupt_CANCEL, "PF_Interrupt_CANCEL"},
      {PF_Err_CANNOT_PARSE_KEYFRAME_TEXT, "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT"},
      {7, "error 7"}};
  for (const auto &[err, name] : errors) EXPECT_EQ(host::ErrorName(err), name);
}

// A value in its type's form for people: colours as rounded bytes, slider values rounded, "On" a
// boolean, a path its id; a vertex with tangents as six numbers.
TEST(ValueText, EachTypeInItsOwnFormAndNumbersThatReadBackTheSame) {
  const auto of = [](PF_ParamType type, host::StreamValue value) {
    host::EffectParam param;
    param.def.param_type = type;
    return host::ParamValueJson(param, value);
  };
  EXPECT_EQ(of(PF_Param_COLOR, {{1.0, 0.5, 0.2, 0.0}}), Json({255, 128, 51, 0}));
  EXPECT_EQ(of(PF_Param_POINT, {{12.5, -3.0}}), Json({12.5, -3.0}));
  EXPECT_EQ(of(PF_Param_FLOAT_SLIDER, {{0.25}}), Json(0.25));
  EXPECT_EQ(of(PF_Param_SLIDER, {{2.5}}), Json(3));
  EXPECT_EQ(of(PF_Param_SLIDER, {{-2.4}}), Json(-2));
  EXPECT_EQ(of(PF_Param_CHECKBOX, {{0.0}}), Json(false));
  EXPECT_EQ(of(PF_Param_CHECKBOX, {{0.5}}), Json(true));
  EXPECT_EQ(of(PF_Param_PATH, {{4000000000.0}}), Json(4000000000u));
  EXPECT_EQ(of(PF_Param_BUTTON, {{1.0}}), Json());

  EXPECT_EQ(host::VertexJson(AEGP_MaskVertex{1, 2, 0, 0, 0, 0}), Json({1.0, 2.0}));
  for (A_FpLong AEGP_MaskVertex::*tangent :
       {&AEGP_MaskVertex::tan_in_x, &AEGP_MaskVertex::tan_in_y, &AEGP_MaskVertex::tan_out_x,
        &AEGP_MaskVertex::tan_out_y}) {
    AEGP_MaskVertex v{1, 2, 0, 0, 0, 0};
    v.*tangent = 9;
    EXPECT_EQ(host::VertexJson(v).size(), 6u);
  }
  host::OutlineExpression uniform{true, {AEGP_MaskVertex{3, 4, 0, 0, 0, 0}}};
  EXPECT_EQ(host::ExpressionJson(uniform), Json({3.0, 4.0}));
  host::OutlineExpression each{
      false, {AEGP_MaskVertex{3, 4, 0, 0, 0, 0}, AEGP_MaskVertex{5, 6, 0, 0, 0, 0}}};
  EXPECT_EQ(host::ExpressionJson(each), Json({{3.0, 4.0}, {5.0, 6.0}}));
  host::EffectParam colour;
  colour.def.param_type = PF_Param_COLOR;
  EXPECT_EQ(host::ExpressionJson(colour), Json());
  colour.expression = host::StreamValue{{0.5, 1.0, 0.0, 0.25}};
  EXPECT_EQ(host::ExpressionJson(colour), Json({127.5, 255.0, 0.0, 63.75}));
  host::EffectParam angle;
  angle.def.param_type = PF_Param_ANGLE;
  angle.expression = host::StreamValue{{-45.0}};
  EXPECT_EQ(host::ExpressionJson(angle), Json(-45.0));

  for (double v : {0.1, 1.0 / 3, 1e-300, -2.5e17, 0.0}) {
    std::string text;
    host::AppendJsonNumber(text, v);
    EXPECT_EQ(Json::parse(text).get<double>(), v) << text;
  }
  std::string text = "[";
  host::AppendJsonNumber(text, std::numeric_limits<double>::infinity());
  host::AppendJsonNumber(text, std::nan(""));
  EXPECT_EQ(text, "[nullnull");
}

// A report's checks as JUnit cases: failures and errors counted apart, the first failure as the
// message and every one in the body.
TEST(JUnitText, ChecksBecomeCasesWithTheirOutcomesCountedApart) {
  const Json report = {
      {"module", "m<1>.so"},
      {"checks",
       {{{"id", "a"}, {"outcome", "passed"}, {"description", "A"}, {"failures", Json::array()}},
        {{"id", "b"}, {"outcome", "failed"}, {"description", "B"}, {"failures", {"one", "two"}}},
        {{"id", "c"}, {"outcome", "crashed"}, {"description", "C"}, {"failures", Json::array()}},
        {{"id", "d"}, {"outcome", "timed out"}, {"description", "D"}, {"failures", {"slow"}}}}}};
  const std::string counts = R"( tests="4" failures="1" errors="2")";
  EXPECT_EQ(host::JUnitXml(report),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<testsuites name=\"orvane-host validate\"" +
                counts +
                ">\n"
                "  <testsuite name=\"m&lt;1&gt;.so\"" +
                counts +
                " skipped=\"0\">\n"
                "    <testcase classname=\"validate\" name=\"a\"/>\n"
                "    <testcase classname=\"validate\" name=\"b\">\n"
                "      <failure type=\"failed\" message=\"one\">B&#10;one&#10;two</failure>\n"
                "    </testcase>\n"
                "    <testcase classname=\"validate\" name=\"c\">\n"
                "      <error type=\"crashed\" message=\"crashed\">C</error>\n"
                "    </testcase>\n"
                "    <testcase classname=\"validate\" name=\"d\">\n"
                "      <error type=\"timed out\" message=\"slow\">D&#10;slow</error>\n"
                "    </testcase>\n"
                "  </testsuite>\n</testsuites>\n");
}

// Every difference is named by its JSON path: members one side lacks, arrays of other lengths,
// values of another type; only the first `shown` are spelt out, all of them counted.
TEST(Golden, EachDifferenceIsNamedByItsPathAndAllAreCounted) {
  const Json golden = {{"params", {{"Size", 1}, {"a b", "x"}, {"gone", true}}},
                       {"masks", {{{"vertices", {{1.5, 2.5}}}}}}};
  const Json run = {{"params", {{"Size", 1}, {"a b", "y"}, {"new_1", nullptr}}},
                    {"masks", {{{"vertices", {{1.5, "2.5"}, {3.0}}}}}}};
  const auto d = host::CompareWithGolden(golden, run, 0);
  EXPECT_EQ(d.count, 5u);
  EXPECT_EQ(d.first, (std::vector<std::string>{"$.masks[0].vertices[0][1]: golden 2.5, run \"2.5\"",
                                               "$.masks[0].vertices: golden has 1 elements, run 2",
                                               "$.params[\"a b\"]: golden \"x\", run \"y\"",
                                               "$.params.gone: golden true, not in the run",
                                               "$.params.new_1: not in the golden, run null"}));
  const auto two = host::CompareWithGolden(golden, run, 0, 2);
  EXPECT_EQ(two.count, 5u);
  EXPECT_EQ(two.first.size(), 2u);
  EXPECT_EQ(host::CompareWithGolden(golden, golden, 0).count, 0u);
  // A key of nothing is no plain word either.
  EXPECT_EQ(host::CompareWithGolden(Json{{"", 1}}, Json{{"", 2}}, 0).first.at(0),
            "$[\"\"]: golden 1, run 2");
}

// A sheet's rows hold `columns` cells, each the composition's shape at the cell width, with a
// label band and gaps around them; a sheet over the bounds is refused before it is drawn.
TEST(PictureLayout, ASheetsRowsAndSizeFollowFromItsCellsAndTheComposition) {
  host::Composition comp;
  comp.width = 1920;
  comp.height = 1080;
  const auto l = host::LayOutSheet(10, 4, 160, comp);
  EXPECT_EQ(l.columns, 4);
  EXPECT_EQ(l.rows, 3);
  EXPECT_EQ(l.cell_width, 160);
  EXPECT_EQ(l.cell_height, 90);
  EXPECT_EQ(l.size.width, 4 * (160 + 4) + 4);
  EXPECT_EQ(l.size.height, 3 * (90 + 18 + 4) + 4);
  const auto one = host::LayOutSheet(0, 0, 0, comp);
  EXPECT_EQ(one.columns, 1);
  EXPECT_EQ(one.rows, 1);
  EXPECT_EQ(one.cell_width, 1);
  EXPECT_EQ(one.cell_height, 1);
  EXPECT_NO_THROW(host::LayOutSheet(400, 20, 16, comp));
  try {
    host::LayOutSheet(401, 20, 16, comp);
    FAIL() << "more cells than the limit";
  } catch (const std::exception &e) {
    EXPECT_EQ(std::string(e.what()),
              "the sheet would hold 401 frames; the limit is 400 (raise \"every\")");
  }
  // 4 columns of 160: 660 pixels wide, not a pixel more than the bound.
  EXPECT_NO_THROW(host::LayOutSheet(4, 4, 160, comp, 660));
  try {
    host::LayOutSheet(4, 4, 160, comp, 659);
    FAIL() << "wider than the bound";
  } catch (const std::exception &e) {
    EXPECT_EQ(std::string(e.what()),
              "the sheet would be 660 x 116 pixels; pictures are at most 659 pixels a side");
  }
}

}  // namespace
