// Benchmarks of the real module driven through the headless host, with tracing off, in the order
// of the table in README.md: the command-line host's hour-long bake, the bake at every length, the
// pass-through render against memcpy, the hit test, the live update and the draw event.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Params.h"
#include "protocol/Session.h"
#include "protocol/Suites.h"

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

// orvane-host run of the hour-long, 50-mask bake in examples/, with --out, as a user runs it:
// the whole process's wall time and peak resident memory.
void CommandLineBakeHour(benchmark::State &state) {
  namespace fs = std::filesystem;
  std::string scenario = std::string(ORVANE_EXAMPLES) + "/bake-hour.json";
  const fs::path out =
      fs::temp_directory_path() / ("orvane-bench-hour-" + std::to_string(getpid()));
  if (Smoke()) {
    // The same scenario over a second of composition.
    std::ifstream in(scenario);
    std::stringstream text;
    text << in.rdbuf();
    std::string short_scenario = text.str();
    for (std::size_t at; (at = short_scenario.find("3600")) != std::string::npos;)
      short_scenario.replace(at, 4, "1");
    fs::create_directories(out);
    scenario = (out / "bake-second.json").string();
    std::ofstream(scenario) << short_scenario;
  }
  double seconds = 0, peak = 0;
  for (auto _ : state) {
    const std::string out_dir = (out / "run").string();
    const char *argv[] = {ORVANE_HOST_EXE, "run",     scenario.c_str(), "--out",
                          out_dir.c_str(), "--quiet", nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, ORVANE_HOST_EXE, nullptr, nullptr, const_cast<char **>(argv), environ)) {
      state.SkipWithError("cannot start orvane-host");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peak = double(usage.ru_maxrss) / 1024.0;
    state.SetIterationTime(seconds);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("orvane-host failed");
  }
  std::error_code ec;
  fs::remove_all(out, ec);
  state.counters["process_s"] = seconds;
  state.counters["process_peak_MiB"] = peak;
}
BENCHMARK(CommandLineBakeHour)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

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

// Short bakes are repeated so that their time per key is not one run's noise; 108,000 frames is
// an hour at 30 fps: 5.4 million keys with 50 masks.
void ShortBakes(benchmark::internal::Benchmark *b) {
  for (int masks : {50, 1}) {
    for (int frames : Smoke() ? std::vector<int>{30} : std::vector<int>{30, 1800})
      b->Args({masks, frames});
  }
}
void LongBakes(benchmark::internal::Benchmark *b) {
  if (Smoke()) {
    b->Args({1, 30});
    return;
  }
  b->Args({50, 18000})->Args({50, 108000})->Args({1, 18000});
}
BENCHMARK(Bake)->Apply(ShortBakes)->Unit(benchmark::kMillisecond)->Iterations(Smoke() ? 1 : 20);
BENCHMARK(Bake)->Apply(LongBakes)->Unit(benchmark::kMillisecond)->Iterations(1);

// The pass-through render of a UHD frame, against a plain memcpy of the same bytes.
void Render(benchmark::State &state) {
  const int depth = int(state.range(0));
  auto s = std::make_unique<Session>(TheModule());
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

// The copy the render does, row by row between the same two buffers the module is given (the
// layer's pixels and the output inside its guard band), without the module: what the machine
// allows for this pattern of memory access.
void RowCopy(benchmark::State &state) {
  const int depth = int(state.range(0));
  auto s = std::make_unique<Session>(TheModule());
  s->project().layer.width = Smoke() ? 384 : 3840;
  s->project().layer.height = Smoke() ? 216 : 2160;
  if (s->Apply()) std::abort();
  s->Render(s->context(), depth);
  Image &in = s->render_state().input;
  Image &out = s->render_state().output;
  const std::size_t row = std::size_t(in.width) * std::size_t(in.PixelBytes());
  for (auto _ : state) {
    for (A_long y = 0; y < in.height; ++y) std::memcpy(out.Row(y), in.Row(y), row);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(row) * in.height);
}
BENCHMARK(RowCopy)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

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
}  // namespace

BENCHMARK_MAIN();
