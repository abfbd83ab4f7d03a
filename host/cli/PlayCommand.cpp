// orvane-host play: the session in a browser. Serves one page on the loopback address until
// Ctrl-C or the page's close, then sends global tear-down and prints the problems as run does.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/Subcommand.h"
#include "model/Errors.h"
#include "play/PlaySession.h"
#include "play/Server.h"
#include "scenario/Play.h"
#include "scenario/ScenarioFile.h"

namespace orvane::host::cli {

namespace {

struct PlayArguments {
  std::string scenario_path;
  std::string module_path;
  int port = 0;
};

// Ctrl-C and SIGTERM end the session the way the page's close does. The signals are taken by
// one thread of their own, so the server is stopped from ordinary code rather than from a
// signal handler; every other thread blocks them, which they inherit from the first thread
// when it blocks them before any other starts (BlockSignals).
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGUSR1);  // the watch's own end
  return signals;
}

void BlockSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// The first Ctrl-C ends the session as the page's close does (global tear-down, the problems
// printed); a second one, while that is still under way, ends the process at once.
class SignalWatch {
 public:
  explicit SignalWatch(play::Server &server) : signals_(StopSignals()) {
    thread_ = std::thread([this, &server] {
      for (int stops = 0;; ++stops) {
        int signal = 0;
        sigwait(&signals_, &signal);
        if (signal == SIGUSR1) return;
        if (stops > 0) {
          std::fputs("ended at once: the session's tear-down did not finish\n", stderr);
          std::_Exit(kExitModuleFailed);
        }
        server.Stop();
      }
    });
  }
  ~SignalWatch() {
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
  }

 private:
  sigset_t signals_;
  std::thread thread_;
};

int Play(const PlayArguments &args) {
  BlockSignals();
  Limits limits;
  Json scenario = Json::object();
  if (!args.scenario_path.empty())
    scenario =
        ParseScenario(ReadScenarioFile(args.scenario_path, limits), args.scenario_path, limits);
  if (!scenario.is_object()) throw BadInput(args.scenario_path + ": a scenario is a JSON object");
  play::PlaySession session(args.module_path, scenario, limits);
  play::Server server(session, args.port);
  int exit_code = kExitOk;
  {
    SignalWatch watch(server);
    server.Start(std::cout);
    std::cout << server.notice();
    std::printf("Open %s in a browser (Ctrl-C ends the session).\n", server.Url().c_str());
    std::fflush(stdout);
    server.Serve();
    exit_code = server.exit_code();
  }
  std::cout << server.report() << std::flush;
  return exit_code;
}

}  // namespace

Subcommand AddPlay(CLI::App &app) {
  auto args = std::make_shared<PlayArguments>();
  args->module_path = DefaultModulePath();
  CLI::App *play = app.add_subcommand(
      "play",
      "Try the module in a browser: the composition window, the Effect Controls and the "
      "timeline, driven by the module.");
  play->add_option("scenario", args->scenario_path,
                   "Scenario to start from (its comp, layer, view and steps); an empty project "
                   "without one");
  play->add_option("--module", args->module_path, "Effect module to load")->capture_default_str();
  play->add_option("--port", args->port, "Port on 127.0.0.1 (and ::1); a free one when 0")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  play->footer(
      "Serves one page on the loopback address only, at a URL with a random token that every\n"
      "request must carry. Every action on the page is a scenario step played as run plays it;\n"
      "\"Save scenario\" downloads them, and orvane-host run replays the session. The server\n"
      "writes no files: png and sheet steps of the scenario are left out.\n\n" +
      std::string(kExitCodes));
  return {play, [args] { return Play(*args); }};
}

}  // namespace orvane::host::cli
