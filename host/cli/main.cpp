// orvane-host: loads an effect module and drives it as the application would. Each subcommand is
// built in its own file; this is where the command line is read and where every error the host
// reports to its user is turned into one line and an exit code.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/Subcommand.h"
#include "model/Errors.h"
#include "scenario/Play.h"

using namespace orvane::host;

int main(int argc, char **argv) {
  CLI::App app{
      "orvane-host: a headless host that loads an effect module and drives it as the\n"
      "application would, against a project model of its own."};
  app.footer(std::string("Examples:\n"
                         "  orvane-host run examples/demo.json --out out/demo\n"
                         "  orvane-host run session.json --json > project.json\n"
                         "  orvane-host info build/release/bin/OrvaneTavolin.so\n"
#if defined(ORVANE_PLAY)
                         "  orvane-host play examples/demo.json\n\n"
#else
                         "\nThis build has no play command (the browser session needs the Linux "
                         "build).\n\n"
#endif
                         ) +
             cli::kExitCodes);
  app.require_subcommand(1);
  // Paths such as /tmp/scenario.json are arguments, not Windows-style /options.
  app.allow_windows_style_options(false);
  std::vector<cli::Subcommand> commands = {cli::AddRun(app), cli::AddInfo(app),
                                           cli::AddValidate(app)};
#if defined(ORVANE_PLAY)
  commands.push_back(cli::AddPlay(app));
#endif

  // CLI11 would only say that a command is missing; a mistyped one deserves its own name.
  const std::string first = argc > 1 ? argv[1] : "";
  std::string names;
  bool known = false;
  for (const auto &c : commands) {
    names += (names.empty() ? "" : ", ") + c.app->get_name();
    known = known || c.app->get_name() == first;
  }
  if (!first.empty() && first[0] != '-' && !known) {
    std::cerr << "orvane-host: unknown command \"" << first << "\" (commands: " << names
              << "; see --help)\n";
    return kExitBadInput;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    return app.exit(e) == 0 ? kExitOk : kExitBadInput;
  }
  try {
    for (const auto &c : commands) {
      if (*c.app) return c.run();
    }
  } catch (const BadInput &e) {
    std::cerr << "orvane-host: " << e.what() << "\n";
    return kExitBadInput;
  } catch (const std::exception &e) {
    std::cerr << "orvane-host: " << e.what() << "\n";
    return kExitModuleFailed;
  }
  return kExitOk;
}
