// orvane-host run: plays a scenario and prints each step, or the project dump.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/ProgressDisplay.h"
#include "cli/Subcommand.h"
#include "model/Errors.h"
#include "report/Dump.h"
#include "report/Golden.h"
#include "report/Names.h"
#include "report/OutputFile.h"
#include "scenario/Outputs.h"
#include "scenario/Play.h"
#include "scenario/ScenarioFile.h"
#include "scenario/ScenarioRunner.h"
#include "validate/Watchdog.h"

namespace orvane::host::cli {

namespace {

#if defined(ORVANE_NO_PICTURES)
constexpr bool kPicturesAvailable = false;
#else
constexpr bool kPicturesAvailable = true;
#endif

struct RunArguments {
  std::string scenario_path;
  std::string module_path;
  bool json = false;
  bool quiet = false;
  double timeout_seconds = 0;  // the whole session; none when 0
  std::string golden_path;     // --expect
  double tolerance = 1e-9;
  bool bless = false;
  RunOptions options;
};

// --expect: the run's project against the golden (or, with --bless, the golden written anew).
// Returns whether they differ.
bool CheckGolden(const RunArguments &args, Session &session, const RunOutcome &outcome,
                 const Json &golden) {
  const Json run = GoldenOf(DumpProject(session, outcome.steps));
  if (args.bless) {
    OutputFile out(args.golden_path);
    out.stream() << run.dump(1) << "\n";
    out.Commit();
    if (!args.quiet) std::fprintf(stderr, "blessed: %s\n", args.golden_path.c_str());
    return false;
  }
  const GoldenDifferences d = CompareWithGolden(golden, run, args.tolerance);
  if (d.count == 0) return false;
  std::FILE *to = args.json ? stderr : stdout;
  std::fprintf(to, "the project differs from the golden %s in %zu place%s:\n",
               args.golden_path.c_str(), d.count, d.count == 1 ? "" : "s");
  for (const std::string &line : d.first) std::fprintf(to, "  %s\n", line.c_str());
  if (d.count > d.first.size()) std::fprintf(to, "  and %zu more\n", d.count - d.first.size());
  return true;
}

// Each step: what it was, the commands it sent with their results, and what it changed.
void PrintSteps(const std::vector<StepRecord> &steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const StepRecord &step = steps[i];
    std::printf("%3zu  %s\n", i + 1, step.what.c_str());
    std::string commands;
    for (const CommandRecord &c : step.commands) {
      if (!commands.empty()) commands += ", ";
      commands +=
          CommandName(c.cmd) + " " + std::to_string(c.err) + (c.err ? " " + ErrorName(c.err) : "");
      for (const auto &problem : c.problems) commands += " [" + problem + "]";
    }
    if (!commands.empty()) std::printf("       sent: %s\n", commands.c_str());
    std::string changes;
    for (const auto &change : step.changes) changes += (changes.empty() ? "" : "; ") + change;
    if (!changes.empty()) std::printf("       changed: %s\n", changes.c_str());
  }
}

int Play(RunArguments &args) {
  // Reading the scenario can stall as well as loading the module or any step (a file on a
  // network mount), so the watchdog is armed first.
  std::unique_ptr<Watchdog> watchdog;
  if (args.timeout_seconds > 0) {
    watchdog = std::make_unique<Watchdog>(args.timeout_seconds, "orvane-host: ");
    watchdog->SetActivity("reading the scenario " + args.scenario_path);
    // Files half written are dropped, the trace is kept up to the call under way.
    watchdog->OnTimeout(&OutputFile::StopAll);
    args.options.on_activity = [&](const std::string &activity) {
      watchdog->SetActivity(activity);
    };
  }
  const std::string text = ReadScenarioFile(args.scenario_path, args.options.limits);
  if (watchdog) watchdog->SetActivity("loading the module " + args.module_path);
  if (args.bless && args.golden_path.empty()) throw BadInput("--bless needs --expect GOLDEN.json");
  args.options.inputs = {{args.scenario_path, "the scenario"}, {args.module_path, "the module"}};
  if (!args.options.project_path.empty())
    args.options.inputs.push_back({args.options.project_path, "the project"});
  Json golden;
  if (args.bless) {
    // Checked with every other output of the run, and against what it reads, in one place.
    args.options.outputs.push_back({args.golden_path, "the golden"});
  } else if (!args.golden_path.empty()) {
    golden = ParseScenario(ReadScenarioFile(args.golden_path, args.options.limits),
                           args.golden_path, args.options.limits);
    if (!golden.is_object() || !golden.contains("params") || !golden.contains("masks"))
      throw BadInput(args.golden_path +
                     ": a golden is an object with the \"params\" and \"masks\" of a dump");
    args.options.inputs.push_back({args.golden_path, "the golden"});
  }
  Module module(args.module_path);
  Session session(module);
  ProgressDisplay progress;
  if (!args.quiet) session.project().info.on_show = progress;
  if (args.json) args.options.dump_out = &std::cout;
  RunOutcome outcome = PlayScenario(session, text, args.scenario_path, args.options);
  if (!args.quiet) progress.Finish();
  watchdog.reset();
  if (outcome.exit_code == kExitBadInput) throw BadInput(outcome.error);
  if (!outcome.error.empty()) throw ModuleFailed(outcome.error);
  const bool differs = !args.golden_path.empty() && CheckGolden(args, session, outcome, golden);
  if (!args.json && !args.quiet) {
    PrintSteps(outcome.steps);
    std::size_t keys = 0;
    for (const Mask &m : session.project().layer.masks) keys += m.outline.keys.size();
    const auto &undo = session.project().undo.entries();
    std::printf(
        "\nmasks created: %zd   mask keyframes: %zu   undo entries: %zu (%zd \"Create Masks\", %zd "
        "\"Bake Masks\")\n",
        std::count(undo.begin(), undo.end(), "Create Masks"), keys, undo.size(),
        std::count(undo.begin(), undo.end(), "Create Masks"),
        std::count(undo.begin(), undo.end(), "Bake Masks"));
    for (const auto &file : outcome.files) std::printf("wrote: %s\n", file.c_str());
    for (const auto &problem : session.problems()) std::printf("problem: %s\n", problem.c_str());
    if (outcome.failed_commands)
      std::printf("%d command(s) returned an error\n", outcome.failed_commands);
  }
  return differs ? kExitModuleFailed : outcome.exit_code;
}

std::string StepList() {
  std::string out;
  for (const std::string &name : ScenarioRunner::StepNames())
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

}  // namespace

Subcommand AddRun(CLI::App &app) {
  auto args = std::make_shared<RunArguments>();
  args->module_path = DefaultModulePath();
  CLI::App *run = app.add_subcommand("run", "Play a scenario (a JSON session) against the module.");
  run->add_option("scenario", args->scenario_path, "Scenario file")->required();
  run->add_option("--module", args->module_path, "Effect module to load")->capture_default_str();
  run->add_option("--out", args->options.out_dir,
                  "Folder for project.json and the pictures the scenario asks for");
  run->add_flag("--json", args->json, "Print the project dump as JSON instead of the step table");
  run->add_flag("-q,--quiet", args->quiet,
                "Print nothing but errors; the exit code tells the outcome");
  run->add_option("--project", args->options.project_path,
                  "Start from this saved project (a \"save\" step's file): the effect applied, "
                  "then the scenario's steps");
  run->add_option("--expect", args->golden_path,
                  "Compare the final project (the dump's params and masks) with this golden; "
                  "exit code 1 naming the first differences when they differ")
      ->type_name("GOLDEN.json");
  run->add_option("--tolerance", args->tolerance,
                  "Relative difference allowed between numbers of the project and the golden")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](std::string &text) -> std::string {
            // CLI11's range test lets NaN through, which would match every number.
            char *end = nullptr;
            const double t = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(t) || t < 0 || t > 1)
              return "a tolerance is a number from 0 to 1, not \"" + text + "\"";
            return std::string();
          },
          "a number from 0 to 1"));
  run->add_flag("--bless", args->bless, "Write (or rewrite) the --expect golden from this run");
  run->add_option("--trace", args->options.trace_path,
                  "Write every host call with its arguments and result to this file, one JSON "
                  "object a line");
  run->add_option("--timeout", args->timeout_seconds,
                  "Stop a session that takes longer than SECONDS, naming the step under way "
                  "(exit code 1); none by default")
      ->type_name("SECONDS")
      ->check(TimeoutSeconds());
  run->add_flag("--caption", args->options.caption,
                "Add a caption band to png pictures naming the window, the time and the zoom");
  run->footer(
      "Steps: " + StepList() + ".\n" +
      (kPicturesAvailable
           ? ""
           : "This build writes no pictures: png and sheet need the Linux build.\n") +
      std::string(
          "Example scenario:\n"
          "  {\"steps\": [{\"do\": \"apply\"}, {\"do\": \"press\", \"param\": \"Create Mask\"},\n"
          "              {\"do\": \"set\", \"param\": \"Center 1\", \"value\": [400, 300]},\n"
          "              {\"do\": \"png\", \"file\": \"overlay.png\", \"window\": "
          "\"comp\"}]}\n\n") +
      DescribeLimits() + "\n" + kExitCodes);
  return {run, [args] { return Play(*args); }};
}

}  // namespace orvane::host::cli
