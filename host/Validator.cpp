#include "Validator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "Errors.h"
#include "PropertyListReader.h"
#include "Session.h"
#include "Suites.h"
#include "Watchdog.h"

#if !defined(_WIN32)
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvane::host {

namespace {

using Json = nlohmann::ordered_json;

constexpr PF_Err kInjected = 0x4F56;  // an error no host function returns by itself
constexpr std::size_t kMaxFailures = 12;

void Fail(CheckResult &r, const std::string &what) {
  if (r.failures.size() < kMaxFailures) r.failures.push_back(what);
  r.outcome = CheckResult::Outcome::Failed;
}

// The reference session every check works from: the effect applied on a small layer, two masks
// created, a colour changed, rendered, drawn, a handle clicked and dragged, and a short bake.
struct Command {
  const char *name;
  std::function<PF_Err(Session &)> send;
  bool passes_errors_on;  // false where a failure is dropped (drawing, mouse events)
};

// Effect parameter indices the reference session uses; a module that registers other parameters
// fails the parameter check first.
constexpr PF_ParamIndex kCreate = 253, kBake = 308, kColor1 = 2;

PF_Err Click(Session &s, bool drag) {
  PF_EventExtra extra{};
  extra.e_type = drag ? PF_Event_DRAG : PF_Event_DO_CLICK;
  const auto &masks = s.project().layer.masks;
  Point2 corner{0, 0};
  if (!masks.empty() && !masks[0].outline.value.vertices.empty()) {
    corner = {masks[0].outline.value.vertices[0].x, masks[0].outline.value.vertices[0].y};
  }
  const Point2 at = ToFrame(s.view(), LayerToComp(s.project().layer.transform, corner));
  extra.u.do_click.screen_point =
      PF_Point{A_long(at.x) - (drag ? 3 : 0), A_long(at.y) - (drag ? 2 : 0)};
  if (drag) {
    extra.u.do_click.send_drag = TRUE;
    extra.u.do_click.last_time = TRUE;
    extra.u.do_click.continue_refcon[0] = 1;
  }
  return s.SendEvent(WindowKind::Comp, extra, 0).err;
}

PF_Err Changed(Session &s, PF_ParamIndex index) {
  PF_UserChangedParamExtra extra{index};
  return s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

const std::vector<Command> &Reference() {
  static const std::vector<Command> commands = {
      {"global setup", [](Session &s) { return s.GlobalSetup(); }, true},
      {"parameter setup", [](Session &s) { return s.ParamsSetup(); }, true},
      {"UI update", [](Session &s) { return s.Send(PF_Cmd_UPDATE_PARAMS_UI); }, true},
      {"create", [](Session &s) { return Changed(s, kCreate); }, true},
      {"create again", [](Session &s) { return Changed(s, kCreate); }, true},
      {"colour", [](Session &s) { return Changed(s, kColor1); }, true},
      {"pre-render and render",
       [](Session &s) {
         RenderResult r = s.Render(s.context());
         return r.pre_render_err ? r.pre_render_err : r.render_err;
       },
       true},
      {"draw", [](Session &s) { return s.Draw(WindowKind::Comp, 0).err; }, false},
      {"click", [](Session &s) { return Click(s, false); }, false},
      {"drag", [](Session &s) { return Click(s, true); }, false},
      {"bake", [](Session &s) { return Changed(s, kBake); }, true},
  };
  return commands;
}

std::unique_ptr<Session> FreshSession(Module &module) {
  auto s = std::make_unique<Session>(module);
  Project &p = s->project();
  p.comp.width = p.layer.width = 64;
  p.comp.height = p.layer.height = 36;
  p.layer.transform = Transform{{32, 18}, {32, 18}, {100, 100}, 0};
  p.comp.work_duration = 3.0 / 30;
  return s;
}

// Replays the reference commands before `index` without faults.
bool Replay(Session &s, std::size_t index) {
  for (std::size_t i = 0; i < index; ++i) {
    if (Reference()[i].send(s)) return false;
  }
  return true;
}

void ExpectNoProblems(Session &s, std::size_t from, const std::string &where, CheckResult &r) {
  const auto &commands = s.commands();
  for (std::size_t i = from; i < commands.size(); ++i) {
    for (const auto &problem : commands[i].problems) Fail(r, where + ": " + problem);
  }
}

void CheckPropertyList(Module &module, CheckResult &r) {
  PropertyList list = ReadPropertyList(module.property_list());
  if (module.property_list().empty()) return Fail(r, "the module carries no property list");
  for (const auto &problem : list.problems) Fail(r, "layout: " + problem);
  if (list.properties.size() != 12)
    Fail(r, "holds " + std::to_string(list.properties.size()) + " properties, not 12");
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

void CheckParameters(Module &module, CheckResult &r) {
  auto s = FreshSession(module);
  if (s->Apply()) return Fail(r, "applying the effect failed");
  const auto &params = s->project().effect.params;
  if (params.size() != 309)
    Fail(r, "registers " + std::to_string(params.size()) + " parameters, not 309");
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

void CheckHygiene(Module &module, CheckResult &r) {
  auto s = FreshSession(module);
  for (const Command &c : Reference()) {
    const std::size_t from = s->commands().size();
    if (PF_Err err = c.send(*s)) Fail(r, std::string(c.name) + " returned " + std::to_string(err));
    ExpectNoProblems(*s, from, c.name, r);
  }
  s->GlobalSetdown();
  for (const auto &problem : s->problems()) {
    if (problem.find("after global tear-down") != std::string::npos) Fail(r, problem);
  }
  r.figures["commands"] = s->commands().size();
  r.figures["host_calls"] = s->trace().calls();
}

void CheckMissingSuites(Module &module, CheckResult &r) {
  std::size_t withheld = 0;
  for (std::size_t i = 0; i < Reference().size(); ++i) {
    const Command &c = Reference()[i];
    // The suites this command asks for.
    std::vector<SuiteKey> asked;
    {
      auto s = FreshSession(module);
      if (!Replay(*s, i))
        return Fail(r, std::string("the reference session fails before ") + c.name);
      (void)s->suites().TakeImbalance();
      auto before = s->suites().uses();
      c.send(*s);
      for (const auto &[key, use] : s->suites().uses()) {
        auto it = before.find(key);
        if (use.acquired > (it == before.end() ? 0 : it->second.acquired)) asked.push_back(key);
      }
    }
    // Every way a host may refuse: an error and no table, success with a null table, and an
    // error with a table written all the same.
    static const std::pair<Refusal, const char *> kRefusals[] = {
        {Refusal::ErrorNoTable, "an error"},
        {Refusal::NullTable, "a null table"},
        {Refusal::ErrorWithTable, "an error with a table"}};
    for (const SuiteKey &suite : asked) {
      for (const auto &[refusal, how] : kRefusals) {
        ++withheld;
        auto s = FreshSession(module);
        Replay(*s, i);
        const std::size_t from = s->commands().size();
        s->suites().set_refusal(refusal);
        s->suites().Withhold(suite.first, suite.second);
        const PF_Err err = c.send(*s);
        const std::string where = std::string(c.name) + " without \"" + suite.first + "\" " +
                                  std::to_string(suite.second) + " (refused with " + how + ")";
        // Drawing reports a missing Drawbot suite through its own helpers and draws nothing.
        const bool drawbot = suite.first.rfind("DRAWBOT", 0) == 0 && !c.passes_errors_on;
        if (!drawbot && err != PF_Err_BAD_CALLBACK_PARAM)
          Fail(r, where + " returned " + std::to_string(err) + ", not 516");
        ExpectNoProblems(*s, from, where, r);
      }
    }
  }
  r.figures["suites_withheld"] = withheld;
}

void CheckFaultSweep(Module &module, CheckResult &r) {
  std::size_t injected = 0, survived = 0;
  for (std::size_t i = 0; i < Reference().size(); ++i) {
    const Command &c = Reference()[i];
    std::size_t calls = 0;
    {
      auto s = FreshSession(module);
      if (!Replay(*s, i))
        return Fail(r, std::string("the reference session fails before ") + c.name);
      s->trace().Reset();
      c.send(*s);
      calls = s->trace().calls();
    }
    for (std::size_t k = 1; k <= calls; ++k) {
      auto s = FreshSession(module);
      Replay(*s, i);
      const std::size_t from = s->commands().size();
      s->trace().Reset();
      s->trace().FailCallAt(k, kInjected);
      const PF_Err err = c.send(*s);
      const char *failed = s->trace().function_at_fault();
      if (!failed || !CallTrace::CanFail(failed)) continue;  // a call that cannot fail
      ++injected;
      const std::size_t failures_before = r.failures.size();
      const auto outcome_before = r.outcome;
      const std::string where =
          std::string(c.name) + ", call " + std::to_string(k) + " (" + failed + ") failing";
      // Calls that hand back a pointer report failure as the error of their own kind.
      const bool code_returned = std::strcmp(failed, "host_new_handle") != 0 &&
                                 std::strcmp(failed, "host_lock_handle") != 0;
      // Handing a parameter back cannot fail a render, so that failure is not passed on.
      const bool not_passed_on = std::strcmp(failed, "checkin_param") == 0;
      if (c.passes_errors_on && !not_passed_on) {
        if (code_returned ? err != kInjected : err == PF_Err_NONE)
          Fail(r, where + ": returned " + std::to_string(err));
      }
      // Checked by the trace as the calls happen: the first call after the failure that was
      // not a release.
      if (const char *after = s->trace().called_after_failure())
        Fail(r, where + ": called " + after + " afterwards");
      ExpectNoProblems(*s, from, where, r);
      if (r.failures.size() == failures_before && r.outcome == outcome_before) ++survived;
    }
  }
  r.figures["faults_injected"] = injected;
  r.figures["faults_survived"] = survived;
}

void CheckRenderSentinels(Module &module, CheckResult &r) {
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

// Values no user would type, written straight into the parameters as a damaged project or a
// careless host might hand them over.
void CheckHostileValues(Module &module, CheckResult &r, unsigned seed) {
  std::mt19937 random(seed);
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
      const std::size_t index = 2 + random() % 250;
      params[index].stream.value.v[random() % 2] = hostile[random() % 8];
    }
    params[306].stream.value.v[0] = double(int(random() % 200) - 100);  // Number outside 0..50
    params[255 + random() % 3].stream.value.v[0] = double(random());    // a path id of nothing
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

#if !defined(_WIN32)
// Runs one check in a child process: a crash, a signal or a time-out is the check's outcome.
CheckResult RunInChild(const Check &check, const std::string &module_path,
                       const ValidateOptions &options) {
  CheckResult result{
      check.id, check.description, CheckResult::Outcome::Crashed, {}, Json::object()};
  int fds[2];
  if (pipe(fds) != 0) {
    result.failures.push_back("could not start a child process");
    return result;
  }
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    CheckResult own{check.id, check.description, CheckResult::Outcome::Passed, {}, Json::object()};
    try {
      Module module(module_path);
      check.run(module, own);
    } catch (const std::exception &e) {
      Fail(own, std::string("the check stopped: ") + e.what());
    }
    const std::string text = ToJson({own})["checks"][0].dump();
    std::size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(fds[1], text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += std::size_t(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string text;
  char buffer[4096];
  bool timed_out = false;
  // The time is the check's, however its result arrives.
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(options.timeout_seconds));
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    int ready = left.count() > 0 ? poll(&p, 1, int(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      timed_out = true;
      kill(child, SIGKILL);
      break;
    }
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, std::size_t(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (timed_out) {
    result.outcome = CheckResult::Outcome::TimedOut;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.timeout_seconds);
    result.failures.push_back(std::string("no result within ") + seconds +
                              " s (--timeout): the module hangs or is far too slow");
  } else if (WIFSIGNALED(status)) {
    result.failures.push_back(std::string("crashed with signal ") + strsignal(WTERMSIG(status)));
  } else if (!text.empty()) {
    Json j = Json::parse(text, nullptr, false);
    if (!j.is_discarded()) {
      result.outcome =
          j["outcome"] == "passed" ? CheckResult::Outcome::Passed : CheckResult::Outcome::Failed;
      result.failures = j["failures"].get<std::vector<std::string>>();
      result.figures = j["figures"];
    }
  } else {
    result.failures.push_back("the child process ended without a result");
  }
  return result;
}
#endif

}  // namespace

const std::vector<Check> &Checks() {
  static const std::vector<Check> checks = {
      {"property_list", "property list layout; version and flags equal what global setup reports",
       CheckPropertyList},
      {"parameters",
       "309 parameters, ids equal to indices, custom UI for composition and layer windows",
       CheckParameters},
      {"handle_hygiene", "the reference session leaks, double-releases and misuses no handle",
       CheckHygiene},
      {"missing_suites",
       "each suite withheld in turn during each command, refused each way a host may: 516, "
       "everything released",
       CheckMissingSuites},
      {"fault_sweep",
       "each host call of each command made to fail: the error comes back, nothing after it but "
       "releases",
       CheckFaultSweep},
      {"render_sentinels",
       "output fully written and nothing around it; input untouched; 8, 16 and 32 bits",
       CheckRenderSentinels},
      {"hostile_values", "NaN, infinite and huge values, Number outside 0..50, unknown path ids",
       [](Module &m, CheckResult &r) { CheckHostileValues(m, r, 1); }},
  };
  return checks;
}

std::vector<CheckResult> Validate(const std::string &module_path, const ValidateOptions &options) {
  std::vector<CheckResult> results;
  bool known = options.only.empty();
  for (const Check &check : Checks()) {
    if (!options.only.empty() && options.only != check.id) continue;
    known = true;
    Check run = check;
    if (std::strcmp(check.id, "hostile_values") == 0) {
      const unsigned seed = options.seed;
      run.run = [seed](Module &m, CheckResult &r) { CheckHostileValues(m, r, seed); };
    }
#if !defined(_WIN32)
    if (!options.in_process) {
      results.push_back(RunInChild(run, module_path, options));
      continue;
    }
#endif
    CheckResult result{
        check.id, check.description, CheckResult::Outcome::Passed, {}, Json::object()};
    // In this process a hang can only be reported by ending the process.
    Watchdog watchdog(options.timeout_seconds, "orvane-host: ");
    watchdog.SetActivity(std::string("check ") + check.id);
    Module module(module_path);
    run.run(module, result);
    results.push_back(result);
  }
  if (!known) throw BadInput("no check named \"" + options.only + "\"");
  return results;
}

Json ToJson(const std::vector<CheckResult> &results) {
  Json checks = Json::array();
  int passed = 0, failed = 0, crashed = 0, timed_out = 0;
  for (const CheckResult &r : results) {
    const char *outcome = r.outcome == CheckResult::Outcome::Passed    ? "passed"
                          : r.outcome == CheckResult::Outcome::Failed  ? "failed"
                          : r.outcome == CheckResult::Outcome::Crashed ? "crashed"
                                                                       : "timed out";
    passed += r.outcome == CheckResult::Outcome::Passed;
    failed += r.outcome == CheckResult::Outcome::Failed;
    crashed += r.outcome == CheckResult::Outcome::Crashed;
    timed_out += r.outcome == CheckResult::Outcome::TimedOut;
    checks.push_back({{"id", r.id},
                      {"description", r.description},
                      {"outcome", outcome},
                      {"failures", r.failures},
                      {"figures", r.figures}});
  }
  return {
      {"checks", checks},
      {"summary",
       {{"passed", passed}, {"failed", failed}, {"crashed", crashed}, {"timed_out", timed_out}}}};
}

}  // namespace orvane::host
