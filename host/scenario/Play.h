// `orvane-host run` without the printing: a scenario's text played against a session from
// start to global tear-down, with the trace file, the pictures and the dump it asks for, and the
// outcome as the command line reports it. The fuzz target calls it the same way.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "report/StepRecord.h"
#include "scenario/Limits.h"
#include "scenario/Outputs.h"

namespace orvane::host {

constexpr int kExitOk = 0;            // everything ran and the module behaved
constexpr int kExitModuleFailed = 1;  // the module returned an error or misbehaved
constexpr int kExitBadInput = 2;      // a scenario, value or module that cannot be used

struct RunOptions {
  std::string out_dir;     // project.json and pictures go here (none when empty)
  std::string trace_path;  // every host call with its arguments and result, as JSON lines
  // A saved project the session starts from, before the steps (none when empty).
  std::string project_path;
  // The files the run reads (the scenario, the module), which no output may be.
  std::vector<NamedOutput> inputs;
  // Files the caller writes once the run is over (a golden blessed from it), checked with the
  // run's own outputs before anything is written.
  std::vector<NamedOutput> outputs;
  // The project dump is written here too (standard output for --json), as it is produced.
  std::ostream *dump_out = nullptr;
  Limits limits;
  bool caption = false;  // "png" pictures carry a caption band
  // Told as each step starts, and before global tear-down.
  std::function<void(const std::string &activity)> on_activity;
};

struct RunOutcome {
  int exit_code = kExitOk;
  // The one line naming what stopped the run early: bad input (exit code 2), or a module the
  // session could not go on with (exit code 1).
  std::string error;
  std::vector<StepRecord> steps;
  std::vector<std::string> files;  // every file written, project.json last
  int failed_commands = 0;
};

// Plays `text` (read from `origin`, which messages name). Bad input, including memory the
// host runs out of while carrying a step out, ends in exit code 2 with `error` set; anything
// else the host did not expect is thrown.
RunOutcome PlayScenario(Session &session, const std::string &text, const std::string &origin,
                        const RunOptions &options);

}  // namespace orvane::host
