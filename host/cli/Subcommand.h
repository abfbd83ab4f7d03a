// What the subcommands of orvane-host share: each is one builder that adds its options to the
// application and gives back what runs it once the command line has been read.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace orvane::host::cli {

struct Subcommand {
  CLI::App *app;
  std::function<int()> run;
};

Subcommand AddRun(CLI::App &app);       // RunCommand.cpp
Subcommand AddInfo(CLI::App &app);      // InfoCommand.cpp
Subcommand AddValidate(CLI::App &app);  // ValidateCommand.cpp
#if defined(ORVANE_PLAY)
Subcommand AddPlay(CLI::App &app);  // PlayCommand.cpp
#endif

// The exit codes as --help explains them.
extern const char *const kExitCodes;
// --timeout: a finite number of seconds above 0 and at most a day ("nan" and "inf" are not).
CLI::Validator TimeoutSeconds();
// The module built beside the host.
std::string DefaultModulePath();

}  // namespace orvane::host::cli
