// libFuzzer target: drives the module through the headless host with sequences of commands and
// hostile values. Any host-side problem (a leak, a misused handle, an open undo group, an
// exception out of the module) aborts, so the fuzzer keeps the input that caused it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "FuzzHarness.h"
#include "Params.h"
#include "protocol/Session.h"
#include "protocol/Suites.h"

using namespace orvane::host;

namespace {

Module &TheModule() {
  static Module module(ORVANE_MODULE_PATH);
  return module;
}

double Hostile(FuzzedDataProvider &in) {
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return std::numeric_limits<double>::infinity();
    case 2:
      return -std::numeric_limits<double>::infinity();
    case 3:
      return in.ConsumeBool() ? 1e300 : -1e300;
    case 4:
      return std::numeric_limits<double>::denorm_min();
    default:
      return in.ConsumeFloatingPointInRange<double>(-1e7, 1e7);
  }
}

void Changed(Session &s, PF_ParamIndex index) {
  PF_UserChangedParamExtra extra{index};
  s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

void Event(Session &s, FuzzedDataProvider &in, PF_EventType type) {
  PF_EventExtra extra{};
  extra.e_type = type;
  extra.u.do_click.screen_point = PF_Point{in.ConsumeIntegralInRange(-100000, 100000),
                                           in.ConsumeIntegralInRange(-100000, 100000)};
  extra.u.do_click.send_drag = in.ConsumeBool();
  extra.u.do_click.last_time = in.ConsumeBool();
  for (A_intptr_t &slot : extra.u.do_click.continue_refcon) slot = in.ConsumeIntegral<int64_t>();
  s.SendEvent(in.ConsumeBool() ? WindowKind::Comp : WindowKind::Layer, extra, 0);
}

void Step(Session &s, FuzzedDataProvider &in) {
  auto &params = s.project().effect.params;
  switch (in.ConsumeIntegralInRange(0, 13)) {
    case 0:
      Changed(s, PARAM_CREATE_MASK);
      break;
    case 1:
      Changed(s, PARAM_BAKE_MASKS);
      break;
    case 2:
      params[PARAM_NUMBER].stream.value.v[0] = in.ConsumeIntegralInRange(-100, 200);
      break;
    case 3: {
      const int slot = in.ConsumeIntegralInRange(0, SLOT_COUNT - 1);
      const int which = in.ConsumeIntegralInRange(0, 3);
      params[std::size_t(PARAM_CENTER(slot) + which)]
          .stream.value.v[in.ConsumeIntegralInRange(0, 1)] = Hostile(in);
      break;
    }
    case 4:
      params[std::size_t(PARAM_MASK_PATH(in.ConsumeIntegralInRange(0, SLOT_COUNT - 1)))]
          .stream.value.v[0] = in.ConsumeIntegral<uint32_t>();
      break;
    case 5: {
      CommandContext c = s.context();
      c.downsample_x = PF_RationalScale{in.ConsumeIntegralInRange(-2, 4),
                                        in.ConsumeIntegralInRange<A_u_long>(0, 4)};
      c.downsample_y = PF_RationalScale{in.ConsumeIntegralInRange(-2, 4),
                                        in.ConsumeIntegralInRange<A_u_long>(0, 4)};
      s.Render(c, in.PickValueInArray({8, 16, 32}));
      break;
    }
    case 6:
      s.Draw(in.ConsumeBool() ? WindowKind::Comp : WindowKind::Layer, 0);
      break;
    case 7:
      Event(s, in, PF_Event_DO_CLICK);
      break;
    case 8:
      Event(s, in, PF_Event_DRAG);
      break;
    case 9:
      Changed(s, PARAM_MASK_COLOR(in.ConsumeIntegralInRange(0, SLOT_COUNT - 1)));
      break;
    case 10: {
      Mask mask;
      mask.id = in.ConsumeBool() ? s.project().layer.TakeMaskId() : in.ConsumeIntegral<uint32_t>();
      mask.outline.value.open = in.ConsumeBool();
      const int n = in.ConsumeIntegralInRange(0, 7);
      for (int i = 0; i < n; ++i) {
        mask.outline.value.vertices.push_back(
            AEGP_MaskVertex{Hostile(in), Hostile(in), 0, 0, 0, 0});
      }
      s.project().layer.masks.push_back(mask);
      break;
    }
    case 11:
      if (!s.project().layer.masks.empty()) {
        auto &masks = s.project().layer.masks;
        masks.erase(masks.begin() +
                    long(in.ConsumeIntegralInRange<std::size_t>(0, masks.size() - 1)));
      }
      break;
    case 12:
      s.Send(PF_Cmd_UPDATE_PARAMS_UI);
      break;
    default:
      Changed(s, in.ConsumeIntegral<int32_t>());
      break;
  }
}

// The project as the effect's application leaves it (parameters registered, the UI updated),
// made once: each input starts from a copy of it in a session of its own, with its own global
// set-up and tear-down. The session is not kept between inputs, so that everything an input
// allocates is freed by its end and the leak check after each input still means a leak.
const Project &Applied() {
  static const Project project = [] {
    Session s(TheModule());
    Project &p = s.project();
    p.comp.width = p.layer.width = 64;
    p.comp.height = p.layer.height = 36;
    p.layer.transform = Transform{{32, 18}, {32, 18}, {100, 100}, 0};
    p.comp.work_duration = 2.0 / 30;
    if (s.Apply() || s.GlobalSetdown() || !s.problems().empty()) std::abort();
    return s.project();
  }();
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  const Project &applied = Applied();
  Session s(TheModule());
  orvane::fuzz::CopyProject(s.project(), applied);
  if (s.GlobalSetup()) std::abort();
  for (int steps = 0; steps < 24 && in.remaining_bytes() > 0; ++steps) Step(s, in);
  s.GlobalSetdown();
  if (!s.problems().empty()) {
    for (const auto &problem : s.problems())
      std::fprintf(stderr, "host problem: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
