// orvane-host info: a module's property list and About text.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/Subcommand.h"
#include "protocol/PropertyListReader.h"
#include "protocol/Session.h"
#include "report/Json.h"
#include "scenario/Play.h"

namespace orvane::host::cli {

namespace {

std::string VersionText(uint32_t v) {
  static const char *stages[] = {"develop", "alpha", "beta", "release"};
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u %s build %u", (v >> 19) & 7, (v >> 15) & 15,
                (v >> 11) & 15, stages[(v >> 9) & 3], v & 0x1FF);
  return text;
}

int Info(const std::string &module_path, bool json) {
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
    std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
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

}  // namespace

Subcommand AddInfo(CLI::App &app) {
  struct Arguments {
    std::string module;
    bool json = false;
  };
  auto args = std::make_shared<Arguments>();
  CLI::App *info = app.add_subcommand("info", "Show a module's property list and About text.");
  info->add_option("module", args->module, "Effect module")->required();
  info->add_flag("--json", args->json, "Print as JSON");
  info->footer("Example:\n  orvane-host info build/release/bin/OrvaneTavolin.so --json");
  return {info, [args] { return Info(args->module, args->json); }};
}

}  // namespace orvane::host::cli
