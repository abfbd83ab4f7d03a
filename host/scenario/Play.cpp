#include "scenario/Play.h"

#include <filesystem>
#include <fstream>
#include <new>

#include "model/Errors.h"
#include "report/Dump.h"
#include "scenario/ScenarioFile.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

namespace fs = std::filesystem;

namespace {

// Streams the session's host calls to the trace file from construction to Close, so the
// session's memory does not grow with the calls however long the scenario runs.
class TraceFile {
 public:
  TraceFile(Session &session, const std::string &path) : session_(session), path_(path) {
    if (path_.empty()) return;
    out_.open(path_);
    if (!out_) throw BadInput("cannot write the trace file " + path_);
    session_.trace().StreamTo(&out_);
  }
  ~TraceFile() {
    if (out_.is_open()) session_.trace().StreamTo(nullptr);
  }
  void Close() {
    if (!out_.is_open()) return;
    session_.trace().StreamTo(nullptr);
    out_.close();
    if (!out_) throw BadInput("cannot write the trace file " + path_);
  }

 private:
  Session &session_;
  std::string path_;
  std::ofstream out_;
};

void Play(Session &session, const std::string &text, const std::string &origin,
          const RunOptions &options, RunOutcome &outcome) {
  TraceFile trace(session, options.trace_path);
  ScenarioRunner runner(session, ParseScenario(text, origin, options.limits), options.limits);
  if (!options.out_dir.empty()) {
    std::error_code ec;
    fs::create_directories(options.out_dir, ec);
    if (ec)
      throw BadInput("cannot create the output folder " + options.out_dir + ": " + ec.message());
  }
  runner.SetOutputDir(options.out_dir);
  runner.SetCaption(options.caption);
  if (options.on_activity) {
    runner.on_step = [&](std::size_t number, const std::string &what) {
      options.on_activity("step " + std::to_string(number) + " (" + what + ")");
    };
  }
  runner.Run();
  if (options.on_activity) options.on_activity("global tear-down");
  session.trace().SetStep(0);  // the tear-down belongs to no step
  runner.Finish();
  trace.Close();
  outcome.steps = runner.steps();
  outcome.files = runner.files_written();
  if (!options.trace_path.empty()) outcome.files.push_back(options.trace_path);
  // The dump is written as it is produced: an hour's bake holds millions of keyframes.
  if (!options.out_dir.empty()) {
    const std::string path = (fs::path(options.out_dir) / "project.json").string();
    std::ofstream out(path);
    WriteProject(out, session, outcome.steps);
    if (!out) throw BadInput("cannot write " + path);
    outcome.files.push_back(path);
  }
  if (options.dump_out) WriteProject(*options.dump_out, session, outcome.steps);
}

}  // namespace

RunOutcome PlayScenario(Session &session, const std::string &text, const std::string &origin,
                        const RunOptions &options) {
  RunOutcome outcome;
  try {
    Play(session, text, origin, options, outcome);
  } catch (const BadInput &e) {
    outcome.exit_code = kExitBadInput;
    outcome.error = e.what();
  } catch (const std::bad_alloc &) {
    // Outside a step: the scenario itself or the dump of what it built.
    outcome.exit_code = kExitBadInput;
    outcome.error = origin + ": out of memory: this machine cannot hold what the scenario asks for";
  }
  if (outcome.exit_code == kExitBadInput) {
    // The session stops where the input did, and the module is told, as when the application
    // quits.
    if (session.global_setup_done()) session.GlobalSetdown();
    return outcome;
  }
  for (const StepRecord &step : outcome.steps) {
    for (const CommandRecord &c : step.commands) outcome.failed_commands += c.err != 0;
  }
  const bool failed = outcome.failed_commands > 0 || !session.problems().empty();
  outcome.exit_code = failed ? kExitModuleFailed : kExitOk;
  return outcome;
}

}  // namespace orvane::host
