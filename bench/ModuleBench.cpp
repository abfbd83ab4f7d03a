// Benchmarks of the real module driven through the headless host, with tracing off: the live
// update, the draw event, the hit test, the bake and the pass-through render.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Params.h"
#include "Session.h"
#include "Suites.h"

using namespace orvane::host;

namespace {

Module &TheModule() {
  static Module module(ORVANE_MODULE_PATH);
  return module;
}

bool Smoke() { return std::getenv("ORVANE_BENCH_SMOKE") != nullptr; }

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// A session with the effect applied and `masks` slots, each linked to a rectangle of its own.
std::unique_ptr<Session> WithMasks(int masks, double work_seconds = 1.0) {
  auto s = std::make_unique<Session>(TheModule());
  s->trace().SetRecording(false);
  s->project().comp.work_duration = work_seconds;
  s->project().comp.duration = std::max(10.0, work_seconds);
  if (s->Apply()) std::abort();
  for (int i = 0; i < masks; ++i) {
    PF_UserChangedParamExtra extra{PARAM_CREATE_MASK};
    s->Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
    EffectParam &center = s->project().effect.params[std::size_t(PARAM_CENTER(i))];
    center.stream.value.v[0] = 100 + 30 * (i % 10);
    center.stream.value.v[1] = 100 + 80 * (i / 10);
    s->project().effect.params[std::size_t(PARAM_WIDTH(i))].stream.value.v[0] = 60;
    s->project().effect.params[std::size_t(PARAM_HEIGHT(i))].stream.value.v[0] = 40;
  }
  s->Render(s->context());  // the masks take their rectangles
  return s;
}

void LiveUpdate(benchmark::State &state) {
  auto s = WithMasks(int(state.range(0)));
  PF_PreRenderInput input{};
  input.output_request.rect = PF_LRect{0, 0, 1920, 1080};
  PF_PreRenderOutput output{};
  PF_PreRenderCallbacks cb{};
  InstallRenderCallbacks(cb);
  PF_PreRenderExtra extra{&input, &output, &cb};
  const std::size_t before = s->trace().calls();
  for (auto _ : state) {
    output = PF_PreRenderOutput{};
    if (s->SendWithParams(PF_Cmd_SMART_PRE_RENDER, &extra, nullptr, nullptr, s->context()))
      state.SkipWithError("pre-render failed");
  }
  state.counters["host_calls"] = double(s->trace().calls() - before) / double(state.iterations());
}
BENCHMARK(LiveUpdate)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

void DrawEvent(benchmark::State &state) {
  auto s = WithMasks(int(state.range(0)));
  for (auto _ : state) {
    if (s->Draw(WindowKind::Comp, 0).err) state.SkipWithError("draw failed");
  }
  state.counters["operations"] = double(s->drawing().size());
}
BENCHMARK(DrawEvent)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

// Mouse-down with 50 masks: on the last slot's last handle (every handle before it is tested) or
// nowhere near one.
void HitTest(benchmark::State &state) {
  auto s = WithMasks(50);
  const bool hit = state.range(0) == 1;
  const auto &last = s->project().layer.masks.back().outline.value.vertices.back();
  PF_Point point = hit ? PF_Point{A_long(last.x), A_long(last.y)} : PF_Point{1900, 1070};
  for (auto _ : state) {
    PF_EventExtra extra{};
    extra.e_type = PF_Event_DO_CLICK;
    extra.u.do_click.screen_point = point;
    EventResult r = s->SendEvent(WindowKind::Comp, extra, 0);
    if (r.handled != hit) state.SkipWithError("unexpected hit result");
  }
  state.SetLabel(hit ? "hit on the last handle" : "miss");
}
BENCHMARK(HitTest)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The bake of `masks` masks over `frames` frames at 30 fps: one key per mask and frame.
void Bake(benchmark::State &state) {
  const int masks = int(state.range(0));
  const int frames = int(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    auto s = WithMasks(masks, frames / 30.0);
    PF_UserChangedParamExtra extra{PARAM_BAKE_MASKS};
    state.ResumeTiming();
    if (s->Send(PF_Cmd_USER_CHANGED_PARAM, &extra)) state.SkipWithError("bake failed");
    state.PauseTiming();
    std::size_t keys = 0;
    for (const Mask &m : s->project().layer.masks) keys += m.outline.keys.size();
    if (keys != std::size_t(masks) * std::size_t(frames))
      state.SkipWithError("wrong number of keys");
    s.reset();
    state.ResumeTiming();
  }
  state.counters["per_key"] =
      benchmark::Counter(double(masks) * frames, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
  state.counters["peak_MiB"] = PeakMiB();
}

void BakeSizes(benchmark::internal::Benchmark *b) {
  for (int masks : {1, 50}) {
    for (int frames : Smoke() ? std::vector<int>{30} : std::vector<int>{30, 1800, 18000})
      b->Args({masks, frames});
  }
}
BENCHMARK(Bake)->Apply(BakeSizes)->Unit(benchmark::kMillisecond)->Iterations(1);

// The pass-through render of a UHD frame, against a plain memcpy of the same bytes.
void Render(benchmark::State &state) {
  const int depth = int(state.range(0));
  auto s = std::make_unique<Session>(TheModule());
  s->trace().SetRecording(false);
  s->project().layer.width = Smoke() ? 384 : 3840;
  s->project().layer.height = Smoke() ? 216 : 2160;
  if (s->Apply()) std::abort();
  s->Render(s->context(), depth);  // checks out the layer and makes the buffers
  PF_SmartRenderInput input{};
  input.bitdepth = A_short(depth);
  PF_SmartRenderCallbacks cb{};
  InstallRenderCallbacks(cb);
  PF_SmartRenderExtra extra{&input, &cb};
  for (auto _ : state) {
    if (s->SendWithParams(PF_Cmd_SMART_RENDER, &extra, nullptr, nullptr, s->context()))
      state.SkipWithError("render failed");
  }
  const Image &out = s->render_state().output;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.data.size()));
}
BENCHMARK(Render)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

void Memcpy(benchmark::State &state) {
  const int depth = int(state.range(0));
  const std::size_t pixels = Smoke() ? 384u * 216u : 3840u * 2160u;
  const std::size_t bytes = pixels * std::size_t(depth == 8 ? 4 : depth == 16 ? 8 : 16);
  std::vector<uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(Memcpy)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
