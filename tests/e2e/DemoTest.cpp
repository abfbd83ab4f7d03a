// The demo session end to end, and orvane-host's answers to input a new user gets wrong.
#include <cairo.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;
using orvane::test::WriteTemp;

// Brightness of a pixel of a decoded PNG.
int Brightness(cairo_surface_t *png, int x, int y) {
  const unsigned char *data = cairo_image_surface_get_data(png);
  uint32_t p =
      *reinterpret_cast<const uint32_t *>(data + y * cairo_image_surface_get_stride(png) + x * 4);
  return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF);
}

TEST(Demo, RunsEndToEndAndShowsTheMaskedLayer) {
  const std::string out = ::testing::TempDir() + "demo";
  auto r = RunHost(std::string("run ") + ORVANE_EXAMPLES + "/demo.json --out " + out);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("masks created: 3   mask keyframes: 180"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 \"Bake Masks\""), std::string::npos) << r.out;
  for (const char *file : {"overlay.png", "bake.png", "project.json"}) {
    EXPECT_NE(r.out.find("wrote: " + out + "/" + file), std::string::npos) << file;
  }

  cairo_surface_t *overlay = cairo_image_surface_create_from_png((out + "/overlay.png").c_str());
  ASSERT_EQ(cairo_surface_status(overlay), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(overlay), 960);
  // The square of slot 2 is centred on (1380, 360), (690, 180) in the half-size window: inside it
  // the layer shows at full strength, while between the rectangles it is dimmed.
  EXPECT_GT(Brightness(overlay, 690, 180), 2 * Brightness(overlay, 480, 300));
  cairo_surface_destroy(overlay);

  cairo_surface_t *sheet = cairo_image_surface_create_from_png((out + "/bake.png").c_str());
  ASSERT_EQ(cairo_surface_status(sheet), CAIRO_STATUS_SUCCESS);
  EXPECT_GT(cairo_image_surface_get_width(sheet), 1000);
  cairo_surface_destroy(sheet);
}

TEST(Demo, QuietPrintsNothingAndJsonOnlyTheDump) {
  const std::string out = ::testing::TempDir() + "quiet";
  auto quiet = RunHost(std::string("run ") + ORVANE_EXAMPLES + "/demo.json -q --out " + out);
  EXPECT_EQ(quiet.code, 0);
  EXPECT_EQ(quiet.out, "");
}

TEST(BadInput, EveryMistakeGetsOneClearLineAndExitCodeTwo) {
  struct Case {
    std::string args;
    std::string expected;
  };
  const std::string dir = ::testing::TempDir();
  const std::string not_module = WriteTemp("not_a_module.so", "hello");
  const std::string ok = WriteTemp("ok.json", R"({"steps": [{"do": "apply"}]})");
  // A library that loads but is no effect: the C library this test runs with.
  Dl_info libc{};
  ASSERT_NE(dladdr(reinterpret_cast<void *>(&std::fclose), &libc), 0);
  const std::string no_effect = libc.dli_fname;
  const Case cases[] = {
      {"run " + dir + "missing.json", "no such file"},
      {"run " + dir, "is a directory"},
      {"run " + WriteTemp("empty.json", ""), "empty"},
      {"run " + WriteTemp("broken.json", "{\n  \"steps\": [\n    {\"do\": \"apply\",}\n  ]\n}"),
       ":3:"},
      {"run " + WriteTemp("types.json", R"({"steps": {"do": "apply"}})"),
       "\"steps\" must be an array"},
      {"run " + WriteTemp("types2.json", R"({"layer": {"position": "centre"}})"),
       "pair of numbers"},
      {"run " + WriteTemp("types3.json", R"({"layer": {"anchor": [0, "top"]}})"),
       "layer: \"anchor\" must be a pair of numbers [x, y]"},
      {"run " + WriteTemp("types4.json", R"({"layer": {"anchor": ["left", 0]}})"),
       "layer: \"anchor\" must be a pair of numbers [x, y]"},
      {"run " + WriteTemp("step.json", R"({"steps": [{"do": "aply"}]})"), "unknown step \"aply\""},
      {"run " +
           WriteTemp(
               "param.json",
               R"({"steps": [{"do": "apply"}, {"do": "set", "param": "Widht 1", "value": 5}]})"),
       "did you mean \"Width 1\""},
      {"run " +
           WriteTemp("range.json",
                     R"({"steps": [{"do": "apply"}, {"do": "set", "param": "On", "value": 3}]})"),
       "takes true or false"},
      {"run " + WriteTemp("early.json", R"({"steps": [{"do": "press", "param": "Bake Masks"}]})"),
       "not applied yet"},
      {"run " + ok + " --module " + not_module, "not a loadable module"},
      {"run " + ok + " --module " + dir + "nothing.so", "module not found"},
      {"run " + ok + " --module " + no_effect,
       "not an effect module (no EntryPointFunc): " + no_effect},
      {"info " + not_module, "not a loadable module"},
      {"run", "scenario is required"},
      {"frobnicate", "frobnicate"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    auto r = RunHost(c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("terminate"), std::string::npos) << r.out;
  }
}

}  // namespace
