// What the module does with pixels and values: the render's buffers, and values no user would
// type.
#include <limits>
#include <random>

#include "protocol/PropertyListReader.h"
#include "protocol/Suites.h"
#include "validate/Checks.h"
#include "validate/ReferenceSession.h"

namespace orvane::host {

using namespace reference;

void CheckRenderSentinels(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  for (int depth : {8, 16, 32}) {
    auto s = FreshSession(module);
    if (s->Apply() || Changed(*s, kCreate)) return Fail(r, "setting up the render failed");
    RenderResult result = s->Render(s->context(), depth);
    const std::string at = std::to_string(depth) + " bits: ";
    if (!result.rendered) Fail(r, at + "render failed");
    if (!result.output_equals_input)
      Fail(r, at + "output differs from the input (or was left unwritten)");
    if (!result.output_guard_intact) Fail(r, at + "pixels written outside the output");
    if (!result.input_unchanged) Fail(r, at + "the input was changed");
  }
  r.figures["depths"] = 3;
}

void CheckHostileValues(const CheckContext &context, CheckResult &r) {
  Module &module = context.module;
  std::mt19937 random(context.seed);
  const double hostile[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            1e300,
                            -1e300,
                            0,
                            -1,
                            5e9};
  std::size_t rounds = 0;
  for (int round = 0; round < 20; ++round, ++rounds) {
    auto s = FreshSession(module);
    if (s->Apply() || Changed(*s, kCreate) || Changed(*s, kCreate))
      return Fail(r, "setting up failed");
    auto &params = s->project().effect.params;
    for (int k = 0; k < 12; ++k) {
      const std::size_t index = kFirstSlotValue + random() % kSlotValues;
      params[index].stream.value.v[random() % 2] = hostile[random() % 8];
    }
    params[kNumber].stream.value.v[0] = double(int(random() % 200) - 100);   // outside 0..50
    params[kFirstLink + random() % 3].stream.value.v[0] = double(random());  // no such mask
    const std::size_t from = s->commands().size();
    s->Render(s->context());
    s->Draw(WindowKind::Comp, 0);
    Click(*s, false);
    Click(*s, true);
    Changed(*s, kBake);
    ExpectNoProblems(*s, from, "round " + std::to_string(round), r);
  }
  r.figures["rounds"] = rounds;
}

}  // namespace orvane::host
