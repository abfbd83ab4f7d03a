// orvane-host play below the page: a drag played a phase at a time is the drag step it records,
// the session writes no files, and the server answers its own page only.
#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
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

// A press the page gets wrong is refused as a mistake in it, never taken for the host failing.
TEST(PlaySession, AMousePressIsOneObjectWithOnePointAndNotASecond) {
  PlaySession live(ORVANE_MODULE_PATH, Start(), host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  auto refusal = [&](const Json &press) -> std::string {
    try {
      live.MouseDown(press);
    } catch (const host::BadInput &e) {
      return e.what();
    }
    return "pressed";
  };
  EXPECT_EQ(refusal(Json::array({1, 2})), "step 5: a press is an object");
  EXPECT_NE(refusal({{"window", "comp"}, {"points", {{1, 1}, {2, 2}}}})
                .find("a mouse press gives \"points\" with its one window point [x, y]"),
            std::string::npos);
  EXPECT_FALSE(live.State().at("mouse_down"));
  EXPECT_EQ(refusal({{"window", "comp"}, {"points", {{420, 230}}}}), "pressed");
  EXPECT_EQ(refusal({{"window", "comp"}, {"points", {{420, 230}}}}),
            "step 5: the mouse is already down");
  live.MouseUp({420, 230});
  EXPECT_FALSE(live.State().at("mouse_down"));
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

// What the page draws comes from one answer at one time: the outlines the module drew are the
// masks' outlines the layer shows through, at a frame of baked keys with "On" set again too.
TEST(PlaySession, TheModulesOutlinesAndTheMasksTheLayerShowsThroughAgree) {
  Json start = Start();
  start["steps"].push_back({{"do", "key"}, {"param", "Angle 1"}, {"time", 0}, {"value", 0}});
  start["steps"].push_back({{"do", "key"}, {"param", "Angle 1"}, {"time", 1}, {"value", 90}});
  start["steps"].push_back({{"do", "press"}, {"param", "Bake Masks"}});
  start["steps"].push_back({{"do", "set"}, {"param", "On"}, {"value", true}});
  PlaySession live(ORVANE_MODULE_PATH, start, host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  const Json view = live.View(host::WindowKind::Comp, 14.0 / 30);
  ASSERT_EQ(view.at("masks").size(), 1u);
  const Json &mask = view.at("masks")[0];
  const Json *stroke = nullptr;
  for (const Json &op : view.at("draw"))
    if (op.at("op") == "stroke" && !stroke) stroke = &op;
  ASSERT_NE(stroke, nullptr);
  // The slot at frame 14: 200 x 100 about (320, 180), turned 90 * 14 / 30 degrees; its first
  // corner, the top left, worked out here.
  const double a = 90.0 * 14 / 30 * 3.14159265358979 / 180;
  const double x = 320 + (-100 * std::cos(a) - -50 * std::sin(a)),
               y = 180 + (-100 * std::sin(a) + -50 * std::cos(a));
  EXPECT_NEAR(mask[0][0].get<double>(), x, 1e-3);
  EXPECT_NEAR(mask[0][1].get<double>(), y, 1e-3);
  // Every corner of the stroke (the move-to, then each segment's end) is the mask's.
  const Json &path = stroke->at("path");
  ASSERT_EQ(path.size(), mask.size());
  for (std::size_t i = 0; i < path.size(); i += 3) {
    EXPECT_NEAR(path[i][0].get<double>(), mask[i][0].get<double>(), 0.01) << i;
    EXPECT_NEAR(path[i][1].get<double>(), mask[i][1].get<double>(), 0.01) << i;
  }
  EXPECT_THROW(live.View(host::WindowKind::Comp, 2), host::BadInput);  // after the end
}

// The layer alone, which the page shows through the masks' outlines: without masks, the
// window's own picture, pixel for pixel (the background round the smaller layer too), at any
// time and in either window.
TEST(PlaySession, TheLayersPictureIsTheWindowsWithoutMasks) {
  Json start = Start();
  start["steps"] = Json::parse(R"([{"do": "apply"}])");
  start["layer"] = Json::parse(R"({"width": 320, "height": 180})");  // the background shows
  PlaySession live(ORVANE_MODULE_PATH, start, host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  for (host::WindowKind window : {host::WindowKind::Comp, host::WindowKind::Layer}) {
    for (double time : {0.0, 0.5}) {
      SCOPED_TRACE(time);
      const std::string layer = live.LayerPicture(window, time);
      EXPECT_EQ(layer.substr(1, 3), "PNG");
      EXPECT_EQ(layer, live.Picture(window, time));
    }
  }
  EXPECT_THROW(live.LayerPicture(host::WindowKind::Comp, 2), host::BadInput);
}

// A move's answer carries only what it changed: the slot's width and height, not every value.
TEST(PlaySession, AMovesAnswerCarriesTheWindowAndTheValuesThatChanged) {
  PlaySession live(ORVANE_MODULE_PATH, Start(), host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  live.State();
  live.MouseDown({{"window", "comp"}, {"points", {{420, 230}}}});
  live.MouseMove({430, 240});
  const Json answer = live.DragAnswer();
  EXPECT_EQ(answer.at("values"), Json::parse(R"({"Width 1": 220.0, "Height 1": 120.0})"));
  EXPECT_EQ(answer.at("picture").at("size"), Json::parse("[640, 360]"));
  EXPECT_EQ(answer.at("picture").at("masks").size(), 1u);
  EXPECT_TRUE(answer.at("mouse_down"));
  live.MouseUp({430, 240});
}

// A project file that cannot be opened leaves the session as it was: its masks, its history and
// the steps it records.
TEST(PlaySession, AnOpenThatFailsLeavesTheProjectAsItWas) {
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / "orvane-play-test-open";
  std::filesystem::remove_all(scratch);
  std::filesystem::create_directories(scratch);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(scratch);
  {
    // Whole up to its masks: the project is closed before they are read.
    std::ofstream out("broken.json");
    out << R"({"orvane_project": 1, "comp": {"width": 640, "height": 360, "duration": 1},
              "layer": {"width": 640, "height": 360}, "time": 0, "masks": "none",
              "next_mask": {"id": 1, "palette": 0}, "params": {}})";
  }
  PlaySession live(ORVANE_MODULE_PATH, Start(), host::Limits());
  std::ostringstream notes;
  live.Start(notes);
  const Json before = live.Dump();
  try {
    live.Step({{"do", "open"}, {"file", "broken.json"}});
    ADD_FAILURE() << "the broken file was opened";
  } catch (const host::BadInput &e) {
    EXPECT_NE(std::string(e.what()).find("\"masks\" must be a list"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(Project(live.Dump()), Project(before));
  EXPECT_EQ(live.Scenario().at("steps").size(), 4u);
  live.Step({{"do", "press"}, {"param", "Create Mask"}});  // the session goes on
  EXPECT_EQ(live.State().at("masks").size(), 2u);
  std::filesystem::current_path(cwd);
  std::filesystem::remove_all(scratch);
}

// A running server on a free port and a client of its address.
class PlayServer : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = std::make_unique<PlaySession>(ORVANE_MODULE_PATH, Start(), host::Limits());
    server_ = std::make_unique<host::play::Server>(*session_, 0);
    std::ostringstream notes;
    server_->Start(notes);
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

TEST_F(PlayServer, AnswersMistakesWithOneLine) {
  // A move without its point, a path whose bytes are not UTF-8, a time outside the composition.
  auto res = client_->Post((base_ + "api/mouse/move").c_str(), "{}", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(Json::parse(res->body).at("error"),
            "a mouse move or release gives \"point\": its window point [x, y]");
  EXPECT_EQ(Get(base_ + "%FF%FE.js"), 404);
  auto late = client_->Get((base_ + "api/view?window=comp&time=5").c_str());
  ASSERT_TRUE(late);
  EXPECT_EQ(late->status, 400);
  EXPECT_EQ(Json::parse(late->body).at("error"),
            "\"time\" is 5 s; the composition runs from 0 to 1 s");
}

// A client that trickles its request a byte at a time, without the token, is cut off at once
// the path shows it; one with the token is cut off by Stop(), which does not wait for it.
TEST_F(PlayServer, AClientTricklingItsRequestHoldsNoWorker) {
  auto connect = [&] {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(server_->port()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    return fd;
  };
  // Whether the server closes the connection while `text` goes a byte every 50 ms.
  auto trickle = [](int fd, const std::string &text) {
    for (char c : text) {
      if (::send(fd, &c, 1, MSG_NOSIGNAL) != 1) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      char buffer[512];
      if (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) return true;  // answered or closed
    }
    return false;
  };
  const int stranger = connect();
  EXPECT_TRUE(trickle(stranger,
                      "GET /nothing-here/api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                      "User-Agent: slow\r\n"));
  ::close(stranger);
  // The page is still served meanwhile.
  const int holder = connect();
  std::thread slow([&] {
    trickle(holder, "GET " + base_ + "api/state HTTP/1.1\r\nX: " + std::string(200, 'x'));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(Get(base_ + "api/state"), 200);
  const auto stop = std::chrono::steady_clock::now();
  server_->Stop();
  thread_.join();
  EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(2));
  slow.join();
  ::close(holder);
  thread_ = std::thread([] {});
}

// A composition wider than the pictures the host draws is legal: the page is told why there is
// no window, in one line, and the process goes on.
TEST(PlayServerLimits, AWindowBeyondThePictureLimitIsRefusedWithOneLine) {
  Json start = Json::parse(R"({"comp": {"width": 20000, "height": 100, "duration": 1},
                               "layer": {"width": 20000, "height": 100},
                               "steps": [{"do": "apply"}]})");
  PlaySession session(ORVANE_MODULE_PATH, start, host::Limits());
  host::play::Server server(session, 0);
  std::ostringstream notes;
  server.Start(notes);
  std::thread serve([&] { server.Serve(); });
  const std::string url = server.Url(), base = url.substr(url.find('/', 7));
  httplib::Client client("127.0.0.1", server.port());
  auto state = client.Get((base + "api/state").c_str());
  ASSERT_TRUE(state);
  EXPECT_EQ(state->status, 200);
  const std::string why = Json::parse(state->body).at("windows").at("comp").at("error");
  EXPECT_NE(why.find("pictures are at most 16,384 pixels a side"), std::string::npos) << why;
  auto view = client.Get((base + "api/view?window=comp&time=0").c_str());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->status, 400);
  EXPECT_EQ(Json::parse(view->body).at("error"), why);
  server.Stop();
  serve.join();
}

// A step of the start scenario that fails ends the session as the application quits: the
// module has had its global tear-down.
TEST(PlayServerLimits, AFailingStartStepStillEndsTheSession) {
  Json start = Start();
  start["steps"].push_back({{"do", "set"}, {"param", "Width 1"}, {"value", -5}});
  PlaySession session(ORVANE_MODULE_PATH, start, host::Limits());
  host::play::Server server(session, 0);
  std::ostringstream notes;
  EXPECT_FALSE(session.ended());
  EXPECT_THROW(server.Start(notes), host::BadInput);
  EXPECT_TRUE(session.ended());
}

// Another program holding the port on ::1 would get the requests a browser sends to
// "localhost": the session says so, and answers that name nowhere.
TEST(PlayServerLimits, APortHeldOnIpv6ByAnotherProgramTakesLocalhostAway) {
  const int other = ::socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 addr{};
  addr.sin6_family = AF_INET6;
  addr.sin6_addr = in6addr_loopback;
  if (other < 0 || ::bind(other, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
      ::listen(other, 1) != 0) {
    if (other >= 0) ::close(other);
    GTEST_SKIP() << "this machine has no ::1";
  }
  socklen_t size = sizeof addr;
  ::getsockname(other, reinterpret_cast<sockaddr *>(&addr), &size);
  const int port = ntohs(addr.sin6_port);
  PlaySession session(ORVANE_MODULE_PATH, Start(), host::Limits());
  std::unique_ptr<host::play::Server> server;
  try {
    server = std::make_unique<host::play::Server>(session, port);
  } catch (const host::BadInput &) {
    ::close(other);
    GTEST_SKIP() << "127.0.0.1:" << port << " is taken too";
  }
  EXPECT_NE(server->notice().find("held by another program"), std::string::npos);
  std::thread serve([&] { server->Serve(); });
  const std::string url = server->Url(), base = url.substr(url.find('/', 7));
  httplib::Client client("127.0.0.1", port);
  const std::string p = ":" + std::to_string(port);
  auto as = [&](const std::string &host) {
    auto res = client.Get((base + "api/state").c_str(), {{"Host", host}});
    return res ? res->status : -1;
  };
  EXPECT_EQ(as("127.0.0.1" + p), 200);
  EXPECT_EQ(as("localhost" + p), 403);
  EXPECT_EQ(as("[::1]" + p), 403);
  server->Stop();
  serve.join();
  ::close(other);
}

}  // namespace
}  // namespace orvane::test
