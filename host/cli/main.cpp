// orvane-host: loads an effect module and drives it as the application would.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include "Errors.h"
#include "PropertyListReader.h"
#include "RunScenario.h"
#include "Scenario.h"
#include "Validator.h"
#include "Watchdog.h"

namespace fs = std::filesystem;
using namespace orvane::host;

namespace {

#if defined(ORVANE_NO_PICTURES)
constexpr bool kPicturesAvailable = false;
#else
constexpr bool kPicturesAvailable = true;
#endif

constexpr const char *kExitCodes =
    "Exit codes: 0 everything ran and the module behaved; 1 the module returned an error or\n"
    "misbehaved (leaked a handle, left an undo group open, let an exception out); 2 bad input\n"
    "(a scenario, value or module that cannot be used), with one line saying what is wrong.\n"
    "A time-out (--timeout) is reported with what was under way, exit code 1.";

// The module built beside the host.
std::string DefaultModulePath() {
#if defined(_WIN32)
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return "OrvaneTavolin.aex";
  return (fs::path(exe).parent_path() / "OrvaneTavolin.aex").string();
#else
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("OrvaneTavolin.so") : (exe.parent_path() / "OrvaneTavolin.so").string();
#endif
}

std::string VersionText(uint32_t v) {
  static const char *stages[] = {"develop", "alpha", "beta", "release"};
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u %s build %u", (v >> 19) & 7, (v >> 15) & 15,
                (v >> 11) & 15, stages[(v >> 9) & 3], v & 0x1FF);
  return text;
}

// Shows the Info panel's progress on stderr: a live bar on a terminal, plain lines otherwise
// (one per tenth of the way, so a long bake does not flood a log).
class ProgressDisplay {
 public:
  ProgressDisplay() : terminal_(isatty(STDERR_FILENO) != 0) {}
  void operator()(const std::string &line, const std::string &) {
    double percent = 0;
    if (std::sscanf(line.c_str(), "Processing... %lf%%", &percent) == 1) {
      if (terminal_) {
        int filled = std::clamp(int(percent / 100.0 * 30.0 + 0.5), 0, 30);
        std::fprintf(stderr, "\r  [%-30s] %6.2f%%", std::string(std::size_t(filled), '#').c_str(),
                     percent);
        std::fflush(stderr);
      } else if (int(percent / 10) != last_tenth_) {
        last_tenth_ = int(percent / 10);
        std::fprintf(stderr, "  %s\n", line.c_str());
      }
      open_ = true;
      return;
    }
    if (terminal_ && open_) std::fprintf(stderr, "\n");
    std::fprintf(stderr, "  %s\n", line.c_str());
    open_ = false;
    last_tenth_ = -1;
  }

 private:
  bool terminal_;
  bool open_ = false;
  int last_tenth_ = -1;
};

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

struct RunArguments {
  std::string scenario_path;
  std::string module_path;
  bool json = false;
  bool quiet = false;
  double timeout_seconds = 0;  // the whole session; none when 0
  RunOptions options;
};

int RunCommand(RunArguments &args) {
  const std::string text = ReadScenarioFile(args.scenario_path, args.options.limits);
  // Loading the module and global setup can hang as well as any step.
  std::unique_ptr<Watchdog> watchdog;
  if (args.timeout_seconds > 0) {
    watchdog = std::make_unique<Watchdog>(args.timeout_seconds, "orvane-host: ");
    watchdog->SetActivity("loading the module");
    args.options.on_activity = [&](const std::string &activity) {
      watchdog->SetActivity(activity);
    };
  }
  Module module(args.module_path);
  Session session(module);
  if (!args.quiet) session.on_info = ProgressDisplay();
  if (args.json) args.options.dump_out = &std::cout;
  RunOutcome outcome = RunScenario(session, text, args.scenario_path, args.options);
  watchdog.reset();
  if (outcome.exit_code == kExitBadInput) throw BadInput(outcome.error);
  if (!args.json && !args.quiet) {
    PrintSteps(outcome.steps);
    std::size_t keys = 0;
    for (const Mask &m : session.project().layer.masks) keys += m.outline.keys.size();
    const auto &undo = session.project().undo.entries;
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
  return outcome.exit_code;
}

int InfoCommand(const std::string &module_path, bool json) {
  Module module(module_path);
  PropertyList list = ReadPropertyList(module.property_list());
  Session session(module);
  std::string about = session.AboutText();
  Json out = {{"module", module_path},
              {"name", list.Text("name").value_or("")},
              {"category", list.Text("catg").value_or("")},
              {"match_name", list.Text("eMNA").value_or("")},
              {"version", list.Long("eVER").value_or(0)},
              {"version_text", VersionText(list.Long("eVER").value_or(0))},
              {"out_flags", list.Long("eGLO").value_or(0)},
              {"out_flags2", list.Long("eGL2").value_or(0)},
              {"about", about},
              {"property_list_problems", list.problems}};
  if (module.property_list().empty())
    out["property_list_problems"].push_back("the module carries no property list");
  if (json) {
    std::cout << out.dump(2) << "\n";
    return kExitOk;
  }
  char flags[64];
  std::snprintf(flags, sizeof flags, "0x%X, 0x%X", unsigned(out["out_flags"].get<uint32_t>()),
                unsigned(out["out_flags2"].get<uint32_t>()));
  std::string about_lines = about;
  for (char &c : about_lines) c = c == '\r' ? '\n' : c;
  std::cout << "module:   " << module_path << "\n"
            << "name:     " << out["name"].get<std::string>() << "\n"
            << "category: " << out["category"].get<std::string>() << "\n"
            << "version:  " << out["version_text"].get<std::string>() << "\n"
            << "flags:    " << flags << "\n"
            << "about:    " << about_lines << "\n";
  for (const auto &problem : out["property_list_problems"]) {
    std::cout << "problem:  " << problem.get<std::string>() << "\n";
  }
  return kExitOk;
}

int ValidateCommand(const std::string &module_path, const ValidateOptions &options, bool json) {
  std::vector<CheckResult> results = Validate(module_path, options);
  Json report = ToJson(results);
  report["module"] = module_path;
  const Json &summary = report["summary"];
  const bool ok = summary["passed"] == int(report["checks"].size());
  if (json) {
    std::cout << report.dump(2) << "\n";
    return ok ? kExitOk : kExitModuleFailed;
  }
  for (const Json &check : report["checks"]) {
    std::string outcome = check["outcome"].get<std::string>();
    for (char &c : outcome) c = char(std::toupper(static_cast<unsigned char>(c)));
    std::printf("%-9s %-17s %s", outcome.c_str(), check["id"].get<std::string>().c_str(),
                check["description"].get<std::string>().c_str());
    if (!check["figures"].empty()) std::printf("  %s", check["figures"].dump().c_str());
    std::printf("\n");
    for (const Json &failure : check["failures"])
      std::printf("          - %s\n", failure.get<std::string>().c_str());
  }
  std::printf("%d checks: %d passed, %d failed, %d crashed, %d timed out\n",
              int(report["checks"].size()), summary["passed"].get<int>(),
              summary["failed"].get<int>(), summary["crashed"].get<int>(),
              summary["timed_out"].get<int>());
  return ok ? kExitOk : kExitModuleFailed;
}

}  // namespace

int main(int argc, char **argv) {
  CLI::App app{
      "orvane-host: a headless host that loads an effect module and drives it as the\n"
      "application would, against a project model of its own."};
  app.footer(std::string("Examples:\n"
                         "  orvane-host run examples/demo.json --out out/demo\n"
                         "  orvane-host run session.json --json > project.json\n"
                         "  orvane-host info build/release/bin/OrvaneTavolin.so\n\n") +
             kExitCodes);
  app.require_subcommand(1);
  // Paths such as /tmp/scenario.json are arguments, not Windows-style /options.
  app.allow_windows_style_options(false);
  bool json = false, quiet = false;

  RunArguments run_args;
  run_args.module_path = DefaultModulePath();
  CLI::App *run = app.add_subcommand("run", "Play a scenario (a JSON session) against the module.");
  run->add_option("scenario", run_args.scenario_path, "Scenario file")->required();
  run->add_option("--module", run_args.module_path, "Effect module to load")->capture_default_str();
  run->add_option("--out", run_args.options.out_dir,
                  "Folder for project.json and the pictures the scenario asks for");
  run->add_flag("--json", json, "Print the project dump as JSON instead of the step table");
  run->add_flag("-q,--quiet", quiet, "Print nothing but errors; the exit code tells the outcome");
  run->add_option("--trace", run_args.options.trace_path,
                  "Write every host call with its arguments and result to this file, one JSON "
                  "object a line");
  run->add_option("--timeout", run_args.timeout_seconds,
                  "Stop a session that takes longer than SECONDS, naming the step under way "
                  "(exit code 1); none by default")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 86400.0));
  run->add_flag("--caption", run_args.options.caption,
                "Add a caption band to png pictures naming the window, the time and the zoom");
  run->footer(
      std::string(
          "Steps: apply, press, set, key, render, mask, delete_mask, draw, click, drag, png, "
          "sheet.\n") +
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

  std::string info_module;
  CLI::App *info = app.add_subcommand("info", "Show a module's property list and About text.");
  info->add_option("module", info_module, "Effect module")->required();
  info->add_flag("--json", json, "Print as JSON");
  info->footer("Example:\n  orvane-host info build/release/bin/OrvaneTavolin.so --json");

  std::string validate_module;
  ValidateOptions validate_options;
  CLI::App *validate = app.add_subcommand(
      "validate", "Check a module: property list, parameters, suites, faults, render.");
  validate->add_option("module", validate_module, "Effect module")->required();
  validate->add_flag("--json", json, "Print the report as JSON");
  validate->add_option("--seed", validate_options.seed,
                       "Seed for the checks that draw random values");
  validate->add_option("--reproduce", validate_options.only, "Run only the check with this id");
  validate->add_flag("--in-process", validate_options.in_process,
                     "Run the checks in this process instead of one child process each");
  validate
      ->add_option("--timeout", validate_options.timeout_seconds,
                   "Seconds each check may take before it counts as \"timed out\"")
      ->capture_default_str()
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 86400.0));
  validate->footer(std::string(
      "Each check runs in a child process of its own, so a crash or a signal is reported as that\n"
      "check's outcome (\"crashed\") and a hang as \"timed out\", never as a pass. In this\n"
      "process (--in-process, and always on Windows) a check that times out ends the run with\n"
      "its name. Exit code 0 when every check passed, 1 otherwise.\nExample:\n"
      "  orvane-host validate build/release/bin/OrvaneTavolin.so --timeout 120"));

  // CLI11 would only say that a command is missing; a mistyped one deserves its own name.
  const std::string first = argc > 1 ? argv[1] : "";
  if (!first.empty() && first[0] != '-' && first != "run" && first != "info" &&
      first != "validate") {
    std::cerr << "orvane-host: unknown command \"" << argv[1]
              << "\" (commands: run, info, validate; see --help)\n";
    return kExitBadInput;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    return app.exit(e) == 0 ? kExitOk : kExitBadInput;
  }
  try {
    if (*validate) return ValidateCommand(validate_module, validate_options, json);
    if (*run) {
      run_args.json = json;
      run_args.quiet = quiet;
      return RunCommand(run_args);
    }
    if (*info) return InfoCommand(info_module, json);
  } catch (const BadInput &e) {
    std::cerr << "orvane-host: " << e.what() << "\n";
    return kExitBadInput;
  } catch (const std::exception &e) {
    std::cerr << "orvane-host: " << e.what() << "\n";
    return kExitModuleFailed;
  }
  return kExitOk;
}
