// orvane-host play below the page: a drag played a phase at a time is the drag step it records,
// the session writes no files, and the server answers its own page only.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "model/Errors.h"
#include "play/PlaySession.h"
#include "play/Server.h"
#include "report/Dump.h"
#include "scenario/Play.h"

namespace orvane::test {
namespace {

using host::Json;
using host::play::PlaySession;

// 640x360 at zoom 1, one slot of 200x100 at the centre (320, 180): its bottom-right handle is at
// (420, 230) in window pixels.
Json Start() {
  return Json::parse(R"({
    "comp": {"width": 640, "height": 360, "fps": 30, "duration": 1},
    "layer": {"width": 640, "height": 360},
    "steps": [{"do": "apply"}, {"do": "press", "param": "Create Mask"},
              {"do": "set", "param": "Width 1", "value": 200},
              {"do": "set", "param": "Height 1", "value": 100}]})");
}

Json Control(PlaySession &session, const std::string &name) {
  const Json state = session.State();
  for (const Json &c : state.at("controls"))
    if (c.at("name") == name) return c;
  return nullptr;
}

Json Replay(const Json &scenario, const host::Limits &limits = host::Limits()) {
  host::Module module(ORVANE_MODULE_PATH);
  host::Session session(module);
  host::RunOptions options;
  options.limits = limits;
  std::ostringstream dump;
  options.dump_out = &dump;
  const host::RunOutcome outcome = host::PlayScenario(session, scenario.dump(), "saved", options);
  EXPECT_EQ(outcome.exit_code, host::kExitOk) << outcome.error;
  return Json::parse(dump.str());
}

// What a replay must match: everything the dump holds but the host's call counts, which the
// session's tear-down (not yet sent) changes.
Json Project(Json dump) {
  dump.erase("host");
  return dump;
}

TEST(PlaySession, ALiveDragIsTheDragStepItRecordsAndRunReplaysIt) {
  PlaySession live(ORVANE_MODULE_PATH, Start(), host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  live.MouseDown({{"window", "comp"}, {"points", {{420, 230}}}});
  EXPECT_TRUE(live.State().at("mouse_down"));
  live.MouseMove({430, 236});
  live.MouseMove({440, 242});
  live.MouseUp({440, 242});
  EXPECT_FALSE(live.State().at("mouse_down"));
  // Resized symmetrically about the centre: each side grows by twice the pointer's offset.
  EXPECT_NEAR(Control(live, "Width 1").at("value").get<double>(), 200 + 2 * 20, 1);
  EXPECT_NEAR(Control(live, "Height 1").at("value").get<double>(), 100 + 2 * 12, 1);
  const Json &steps = live.Scenario().at("steps");
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps.back().at("do"), "drag");
  EXPECT_EQ(steps.back().at("points"),
            Json::parse("[[420, 230], [430, 236], [440, 242], [440, 242]]"));
  // The same commands, values, masks, undo entries and Info lines as the step played whole.
  EXPECT_EQ(Project(Replay(live.Scenario())), Project(live.Dump()));
}

TEST(PlaySession, ARefusedPointEndsTheDragWithAStepRunAccepts) {
  host::Limits limits;
  limits.max_points = 4;
  PlaySession live(ORVANE_MODULE_PATH, Start(), limits);
  std::ostringstream notes;
  live.Start(notes);
  live.MouseDown({{"window", "comp"}, {"points", {{420, 230}}}});
  live.MouseMove({425, 233});
  live.MouseMove({430, 236});
  try {
    live.MouseMove({435, 239});
    ADD_FAILURE() << "a fifth point was taken";
  } catch (const host::BadInput &e) {
    EXPECT_NE(std::string(e.what()).find("step 5 (drag)"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("the limit is 4"), std::string::npos) << e.what();
  }
  // Released where the mouse last was: the module is not left holding a press.
  EXPECT_FALSE(live.State().at("mouse_down"));
  EXPECT_EQ(live.Scenario().at("steps").back().at("points"),
            Json::parse("[[420, 230], [425, 233], [430, 236], [430, 236]]"));
  EXPECT_NEAR(Control(live, "Width 1").at("value").get<double>(), 200 + 2 * 10, 1);
  EXPECT_THROW(live.MouseMove({440, 240}), host::BadInput);  // no drag under way
  EXPECT_EQ(Project(Replay(live.Scenario(), limits)), Project(live.Dump()));
}

TEST(PlaySession, WritesNoFilesAndRefusesStepsWhileTheMouseIsDown) {
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / "orvane-play-test-files";
  std::filesystem::remove_all(scratch);
  std::filesystem::create_directories(scratch);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(scratch);
  Json start = Start();
  start["steps"].push_back({{"do", "png"}, {"file", "start.png"}});
  start["steps"].push_back({{"do", "sheet"}, {"file", "sheet.png"}});
  PlaySession live(ORVANE_MODULE_PATH, start, host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  EXPECT_NE(notes.str().find("left out step 5 (png)"), std::string::npos) << notes.str();
  EXPECT_NE(notes.str().find("left out step 6 (sheet)"), std::string::npos) << notes.str();
  EXPECT_EQ(live.Scenario().at("steps").size(), 4u);
  try {
    live.Step({{"do", "png"}, {"file", "page.png"}});
    ADD_FAILURE() << "png was played";
  } catch (const host::BadInput &e) {
    EXPECT_NE(std::string(e.what()).find("writes no files"), std::string::npos) << e.what();
  }
  live.MouseDown({{"window", "comp"}, {"points", {{10, 10}}}});
  EXPECT_THROW(live.Step({{"do", "press"}, {"param", "Create Mask"}}), host::BadInput);
  live.MouseUp({12, 12});
  live.Step({{"do", "press"}, {"param", "Create Mask"}});
  EXPECT_EQ(live.State().at("masks").size(), 2u);
  EXPECT_EQ(live.Picture(host::WindowKind::Comp, 0).substr(1, 3), "PNG");
  std::ostringstream report;
  EXPECT_EQ(live.Finish(report), host::kExitOk) << report.str();
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(std::filesystem::is_empty(scratch));
  std::filesystem::remove_all(scratch);
}

// A running server on a free port and a client of its address.
class PlayServer : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = std::make_unique<PlaySession>(ORVANE_MODULE_PATH, Start(), host::Limits());
    server_ = std::make_unique<host::play::Server>(*session_, 0);
    thread_ = std::thread([this] { server_->Serve(); });
    const std::string url = server_->Url();
    base_ = url.substr(url.find('/', 7));  // "/<token>/"
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }
  void TearDown() override {
    server_->Stop();
    thread_.join();
  }
  int Get(const std::string &path, const httplib::Headers &headers = {}) {
    auto res = client_->Get(path.c_str(), headers);
    return res ? res->status : -1;
  }
  std::unique_ptr<PlaySession> session_;
  std::unique_ptr<host::play::Server> server_;
  std::thread thread_;
  std::string base_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(PlayServer, AnswersItsOwnPageOnly) {
  EXPECT_EQ(base_.size(), 34u) << "a token of 128 bits in hexadecimal";
  EXPECT_EQ(Get(base_), 200);
  EXPECT_EQ(Get(base_ + "api/state"), 200);
  EXPECT_EQ(Get("/"), 403);
  std::string wrong = base_;
  wrong[1] = wrong[1] == '0' ? '1' : '0';
  EXPECT_EQ(Get(wrong + "api/state"), 403);
  EXPECT_EQ(Get(base_.substr(0, 20) + "/api/state"), 403);
  const std::string port = std::to_string(server_->port());
  EXPECT_EQ(Get(base_ + "api/state", {{"Host", "attacker.example:" + port}}), 403);
  EXPECT_EQ(Get(base_ + "api/state", {{"Host", "127.0.0.1:1"}}), 403);
  EXPECT_EQ(Get(base_ + "api/state", {{"Origin", "http://attacker.example"}}), 403);
  EXPECT_EQ(Get(base_ + "api/state", {{"Origin", "http://127.0.0.1:" + port}}), 200);
  EXPECT_EQ(Get(base_ + "no-such-file.js"), 404);
}

TEST_F(PlayServer, RefusesWhatRunRefusesAndBodiesBeyondTheBound) {
  auto bad = client_->Post((base_ + "api/step").c_str(), R"({"do": "sing"})", "application/json");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 400);
  EXPECT_NE(bad->body.find("unknown step \\\"sing\\\""), std::string::npos) << bad->body;
  auto huge = client_->Post((base_ + "api/step").c_str(),
                            std::string(host::play::kMaxRequestBytes + 1, ' '), "application/json");
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->status, 413);
  auto closed = client_->Post((base_ + "api/close").c_str(), "", "application/json");
  ASSERT_TRUE(closed);
  EXPECT_EQ(Json::parse(closed->body).at("exit_code"), 0) << closed->body;
}

}  // namespace
}  // namespace orvane::test
