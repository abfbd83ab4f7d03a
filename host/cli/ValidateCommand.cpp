// orvane-host validate: the checks of a module, as a table or as JSON.
#include <cctype>
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/Subcommand.h"
#include "protocol/Module.h"
#include "report/JUnit.h"
#include "report/Json.h"
#include "report/OutputFile.h"
#include "scenario/Outputs.h"
#include "scenario/Play.h"
#include "validate/Validator.h"
#include "validate/Watchdog.h"

namespace orvane::host::cli {

namespace {

int Run(const std::string &module_path, const ValidateOptions &options, bool json,
        const std::string &junit_path) {
  // Checked before a check runs: the report is never written over the module.
  if (!junit_path.empty())
    CheckOutputsApart({{junit_path, "the JUnit report"}}, {{module_path, "the module"}});
  // A module that cannot be loaded is bad input, as `info` says, not seven failed checks: it is
  // loaded once here (and let go before any check starts) so that its one line comes first.
  {
    Watchdog watchdog(options.timeout_seconds, "orvane-host: ");
    watchdog.SetActivity("loading the module");
    Module probe(module_path);
  }
  std::vector<CheckResult> results = Validate(module_path, options);
  Json report = ToJson(results);
  report["module"] = module_path;
  const Json &summary = report["summary"];
  const bool ok = summary["passed"] == int(report["checks"].size());
  if (!junit_path.empty()) {
    OutputFile out(junit_path);
    out.stream() << JUnitXml(report);
    out.Commit();
  }
  if (json) {
    std::cout << report.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
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

Subcommand AddValidate(CLI::App &app) {
  struct Arguments {
    std::string module;
    bool json = false;
    std::string junit;
    ValidateOptions options;
  };
  auto args = std::make_shared<Arguments>();
  CLI::App *validate = app.add_subcommand(
      "validate", "Check a module: property list, parameters, suites, faults, render.");
  validate->add_option("module", args->module, "Effect module")->required();
  validate->add_flag("--json", args->json, "Print the report as JSON");
  validate
      ->add_option("--junit", args->junit,
                   "Also write the report as JUnit XML to this file, one test case a check")
      ->type_name("FILE");
  validate->add_option("--seed", args->options.seed, "Seed for the checks that draw random values");
  validate->add_option("--reproduce", args->options.only, "Run only the check with this id");
  validate->add_flag("--in-process", args->options.in_process,
                     "Run the checks in this process instead of one child process each");
  validate
      ->add_option("--timeout", args->options.timeout_seconds,
                   "Seconds each check may take before it counts as \"timed out\"")
      ->capture_default_str()
      ->type_name("SECONDS")
      ->check(TimeoutSeconds());
  validate->footer(std::string(
      "Each check runs in a child process of its own, so a crash or a signal is reported as that\n"
      "check's outcome (\"crashed\") and a hang as \"timed out\", never as a pass. In this\n"
      "process (--in-process, and always on Windows) a check that times out ends the run with\n"
      "its name. Exit code 0 when every check passed, 1 otherwise.\nExample:\n"
      "  orvane-host validate build/release/bin/OrvaneTavolin.so --timeout 120"));
  return {validate, [args] { return Run(args->module, args->options, args->json, args->junit); }};
}

}  // namespace orvane::host::cli
