// What the module declares: its property list against global setup, and its parameters.
#include <limits>
#include <random>

#include "protocol/PropertyListReader.h"
#include "protocol/Suites.h"
#include "validate/Checks.h"
#include "validate/ReferenceSession.h"

namespace orvane::host {

using namespace reference;

void CheckPropertyList(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  PropertyList list = ReadPropertyList(module.property_list());
  if (module.property_list().empty()) return Fail(r, "the module carries no property list");
  for (const auto &problem : list.problems) Fail(r, "layout: " + problem);
  if (list.properties.size() != kPropertyCount)
    Fail(r, "holds " + std::to_string(list.properties.size()) + " properties, not " +
                std::to_string(kPropertyCount));
  Session s(module);
  PF_OutData out{};
  s.Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out);
  auto compare = [&](const char *key, uint32_t reported, const char *what) {
    auto listed = list.Long(key);
    if (!listed || *listed != reported) {
      Fail(r, std::string("'") + key + "' does not equal the " + what + " global setup reports");
    }
  };
  compare("eVER", out.my_version, "version");
  compare("eGLO", uint32_t(out.out_flags), "out_flags");
  compare("eGL2", uint32_t(out.out_flags2), "out_flags2");
  r.figures["properties"] = list.properties.size();
}

void CheckParameters(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  auto s = FreshSession(module);
  if (s->Apply()) return Fail(r, "applying the effect failed");
  const auto &params = s->project().effect.params;
  if (params.size() != kParameterCount)
    Fail(r, "registers " + std::to_string(params.size()) + " parameters, not " +
                std::to_string(kParameterCount));
  for (std::size_t i = 1; i < params.size(); ++i) {
    if (params[i].def.uu.id != A_long(i))
      Fail(r, "parameter " + std::to_string(i) + " has id " + std::to_string(params[i].def.uu.id));
  }
  const auto &ui = s->project().effect;
  if (!ui.ui_registered || ui.ui.events != (PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER)) {
    Fail(r, "custom UI not registered for composition and layer windows");
  }
  ExpectNoProblems(*s, 0, "apply", r);
  r.figures["parameters"] = params.size();
}

}  // namespace orvane::host
