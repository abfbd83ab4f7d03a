#include "scenario/Play.h"

#include <filesystem>
#include <memory>
#include <new>

#include "model/Errors.h"
#include "report/Dump.h"
#include "report/OutputFile.h"
#include "scenario/Outputs.h"
#include "scenario/ProjectOpen.h"
#include "scenario/ScenarioFile.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

namespace fs = std::filesystem;

namespace {

// Streams the session's host calls to the trace file from Open to Close, so the session's
// memory does not grow with the calls however long the scenario runs. Each line goes to the file
// as it is written, and a run that stops early (bad input, a time-out) keeps its trace up to the
// last call: that call is where the user looks.
class TraceFile {
 public:
  TraceFile(Session &session, const std::string &path) : session_(session), path_(path) {}
  void Open() {
    if (path_.empty()) return;
    file_ = std::make_unique<OutputFile>(path_, OutputFile::OnStop::Keep);
    file_->stream() << std::unitbuf;
    session_.trace().StreamTo(&file_->stream());
  }
  ~TraceFile() {
    if (file_) session_.trace().StreamTo(nullptr);
  }
  void Close() {
    if (!file_) return;
    session_.trace().StreamTo(nullptr);
    file_->Commit();
    file_.reset();
  }

 private:
  Session &session_;
  std::string path_;
  std::unique_ptr<OutputFile> file_;
};

void Play(Session &session, const std::string &text, const std::string &origin,
          const RunOptions &options, RunOutcome &outcome) {
  TraceFile trace(session, options.trace_path);
  ScenarioRunner runner(session, ParseScenario(text, origin, options.limits), options.limits);
  // Nothing is opened for writing before the scenario has been read and checked, and no output
  // may be an input or another output.
  const std::string dump_path =
      options.out_dir.empty() ? "" : (fs::path(options.out_dir) / "project.json").string();
  std::vector<NamedOutput> outputs;
  if (!options.trace_path.empty()) outputs.push_back({options.trace_path, "the trace file"});
  if (!dump_path.empty()) outputs.push_back({dump_path, "the project dump"});
  for (NamedOutput &picture : PictureOutputs(runner.scenario(), options.out_dir))
    outputs.push_back(std::move(picture));
  outputs.insert(outputs.end(), options.outputs.begin(), options.outputs.end());
  CheckOutputsApart(outputs, options.inputs);
  // The output folder first: the trace may be one of its files.
  if (!options.out_dir.empty()) {
    std::error_code ec;
    fs::create_directories(options.out_dir, ec);
    if (ec)
      throw BadInput("cannot create the output folder " + options.out_dir + ": " + ec.message());
  }
  SavedProject project;
  if (!options.project_path.empty()) {
    const Json &scenario = runner.scenario();
    if (scenario.contains("comp") || scenario.contains("layer"))
      throw BadInput(origin +
                     ": with --project the composition and layer are the project's: "
                     "leave out \"comp\" and \"layer\"");
    project = ReadProjectFile(options.project_path, options.limits);
  }
  trace.Open();
  if (!options.project_path.empty()) runner.Open(std::move(project), options.project_path);
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
  if (!dump_path.empty()) {
    if (options.on_activity) options.on_activity("writing " + dump_path);
    OutputFile out(dump_path);
    WriteProject(out.stream(), session, outcome.steps);
    out.Commit();
    outcome.files.push_back(dump_path);
  }
  if (options.dump_out) {
    if (options.on_activity) options.on_activity("writing the project dump");
    WriteProject(*options.dump_out, session, outcome.steps);
  }
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
  } catch (const ModuleFailed &e) {
    outcome.exit_code = kExitModuleFailed;
    outcome.error = e.what();
  } catch (const std::bad_alloc &) {
    // Outside a step: the scenario itself or the dump of what it built.
    outcome.exit_code = kExitBadInput;
    outcome.error = origin + ": out of memory: this machine cannot hold what the scenario asks for";
  }
  if (!outcome.error.empty()) {
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
