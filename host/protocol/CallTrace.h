// The choke point every host function passes through: it counts the call and, when a fault is
// planned for it, makes the call fail with the planned error instead.
//
// What it keeps comes in levels. By default only counts and what the checks need (which call
// failed, and the first call that was not a release after it), so memory does not grow with the
// number of calls. Asked for more, it formats each call's arguments and result, streams them as
// JSON lines to a file, and, for in-process tests, keeps the calls in memory.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "AE_GeneralPlug.h"
#include "DrawbotSuite.h"
#include "protocol/HandleTable.h"

namespace orvane::host {

// A host function as the trace knows it: its name, and what kind of call it is, said where the
// function is defined (the ORVANE_HOST_ENTER and ORVANE_HOST_RELEASE macros).
enum HostFunctionTrait : unsigned {
  kGivesBack = 1u,      // gives back or closes what was obtained: may follow a failure
  kCannotFail = 2u,     // has no way to report a failure, so is never made to fail
  kFailsAsNull = 4u,    // reports failure as a null result rather than an error code
  kNeedNotPassOn = 8u,  // a failure of it does not fail the command that made it
};
struct HostFunction {
  const char *name = nullptr;  // static string
  unsigned traits = 0;
  bool gives_back() const { return traits & kGivesBack; }
  bool can_fail() const { return !(traits & kCannotFail); }
  bool has(HostFunctionTrait trait) const { return traits & trait; }
};

struct TraceEntry {
  const char *function;  // static string: the host function's name
  PF_Err injected;       // the planned error returned instead of doing the call, or 0
  std::string args;      // JSON array, when arguments were asked for
  std::string result;    // JSON value, when arguments were asked for
};

// A handle argument, shown by its kind and serial (or as foreign / released).
struct HandleArg {
  const void *key;
};
inline HandleArg H(const void *key) { return HandleArg{key}; }

// An argument the module passes by pointer to a value it gives (not one it receives).
template <typename T>
struct InArg {
  const T *p;
};
template <typename T>
InArg<T> In(const T *p) {
  return InArg<T>{p};
}

class CallTrace {
 public:
  // Called first by every host function; a non-zero result is the error the call must return.
  // The arguments are formatted only for a trace file.
  template <typename... Args>
  PF_Err Enter(const HostFunction &function, const Args &...args) {
    ++calls_;
    PF_Err err = PF_Err_NONE;
    if (watch_) {  // a fault is planned: the common case costs this one test
      err = PlannedError(function.name);
      if (err && !function.can_fail()) err = PF_Err_NONE;
      if (err) ++injected_;
      Watch(function, err);
    }
    if (detailed_) {
      Begin(function.name, err);
      std::string &out = pending_.args;
      out = "[";
      (Put(out, args), ...);
      if (out.size() > 1) out.pop_back();  // the last comma
      out += "]";
    } else if (recording_) {
      entries_.push_back({function.name, err, {}, {}});
    }
    return err;
  }
  // The result of the call entered last, when it returns; ignored unless details are kept.
  template <typename R>
  void Leave(const R &result) {
    if (!detailed_ || !open_) return;
    pending_.result.clear();
    Put(pending_.result, result);
    if (!pending_.result.empty()) pending_.result.pop_back();
    Emit();
  }
  void LeaveVoid() {
    if (!detailed_ || !open_) return;
    pending_.result = "null";
    Emit();
  }
  // Suite acquisitions and releases: shown in the trace file, neither counted nor failed.
  void Note(const char *function, const char *name, int version, int result);

  // Keeps every call in memory (with arguments and results while streaming), for tests that
  // look at the calls a command made. Off by default.
  void SetRecording(bool on);
  // Streams every call with its arguments and result to `out` as JSON lines; null stops.
  void StreamTo(std::ostream *out);
  // Where the calls that follow belong: the command's index and the scenario step's (1-based).
  void SetCommand(std::size_t index) { command_ = index; }
  void SetStep(std::size_t step) { step_ = step; }
  // How handle arguments are named; the session points this at its table.
  void SetHandles(const HandleTable *handles) { handles_ = handles; }

  // Make the nth call (1-based) of `function` fail; nth = 0 makes every call of it fail.
  void FailFunction(const std::string &function, std::size_t nth, PF_Err err);
  // Make the host call at position k (1-based, counted from the last Reset) fail.
  void FailCallAt(std::size_t k, PF_Err err);
  void ClearFaults();
  // Forgets the recorded calls and restarts the counters that positions are measured from.
  void Reset();

  const std::vector<TraceEntry> &entries() const { return entries_; }
  std::size_t calls() const { return calls_; }
  std::size_t injected() const { return injected_; }
  // The function called at the position FailCallAt named (null before it is reached), the
  // first injected failure of a call that is not a release, and the first call after it that
  // was not a release either (null when the module only gave things back).
  const char *function_at_fault() const { return at_fault_.name; }
  const char *failed_function() const { return failed_; }
  const char *called_after_failure() const { return after_failure_; }
  // The function at that position with what kind of call it is (no name before it is reached).
  const HostFunction &fault() const { return at_fault_; }

 private:
  PF_Err PlannedError(const char *function);
  void Watch(const HostFunction &function, PF_Err err);
  void Begin(const char *function, PF_Err err);
  void Emit();
  void UpdateModes();

  // JSON for one argument, followed by a comma.
  static void Put(std::string &out, bool v) { out += v ? "true," : "false,"; }
  template <typename T, std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, int> = 0>
  static void Put(std::string &out, T v) {
    if constexpr (std::is_enum_v<T>) {
      out += std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_signed_v<T>) {
      out += std::to_string(static_cast<long long>(v));
    } else {
      out += std::to_string(static_cast<unsigned long long>(v));
    }
    out += ',';
  }
  static void Put(std::string &out, double v);
  static void Put(std::string &out, float v) { Put(out, double(v)); }
  static void Put(std::string &out, const char *v);
  static void Put(std::string &out, const A_Time &t);
  static void Put(std::string &out, const AEGP_ColorVal &c);
  static void Put(std::string &out, const AEGP_MaskVertex &v);
  static void Put(std::string &out, const PF_FixedPoint &p);
  static void Put(std::string &out, const PF_LRect &r);
  static void Put(std::string &out, const DRAWBOT_ColorRGBA &c);
  static void Put(std::string &out, const DRAWBOT_PointF32 &p);
  static void Put(std::string &out, const DRAWBOT_RectF32 &r);
  void Put(std::string &out, HandleArg h) const;
  template <typename T>
  void Put(std::string &out, InArg<T> p) const {
    if (p.p) {
      Put(out, *p.p);
    } else {
      out += "null,";
    }
  }
  // Any other pointer (an out-argument, a buffer) shows whether it was given.
  static void Put(std::string &out, const void *p) { out += p ? "\"ptr\"," : "null,"; }

  struct FunctionFault {
    std::size_t nth;
    PF_Err err;
    std::size_t seen = 0;
  };
  bool recording_ = false;
  bool detailed_ = false;  // arguments are formatted: there is a stream
  bool watch_ = false;     // a fault is planned: watch what follows it
  bool open_ = false;      // a call has been entered and its result not yet recorded
  std::size_t calls_ = 0;
  std::size_t injected_ = 0;
  std::size_t fail_at_ = 0;
  PF_Err fail_at_err_ = 0;
  std::size_t command_ = 0;
  std::size_t step_ = 0;
  HostFunction at_fault_;
  const char *failed_ = nullptr;
  const char *after_failure_ = nullptr;
  std::ostream *stream_ = nullptr;
  const HandleTable *handles_ = nullptr;
  TraceEntry pending_{nullptr, 0, {}, {}};
  std::size_t pending_call_ = 0;
  std::string line_;
  std::unordered_map<std::string, FunctionFault> faults_;
  std::vector<TraceEntry> entries_;
};

// Wraps a host function so that its result is recorded as it returns: the tables the host
// publishes hold Traced<F> rather than F.
template <auto F, typename = decltype(F)>
struct TracedCall;
// The trace of the session whose module is being driven (Session::Current's), which every host
// function reports to as it returns.
inline CallTrace *g_current_trace = nullptr;
inline CallTrace &CurrentTrace() { return *g_current_trace; }
template <auto F, typename R, typename... A>
struct TracedCall<F, R (*)(A...)> {
  static R Call(A... args) {
    if constexpr (std::is_void_v<R>) {
      F(args...);
      CurrentTrace().LeaveVoid();
    } else {
      R result = F(args...);
      CurrentTrace().Leave(result);
      return result;
    }
  }
};
template <auto F>
constexpr auto Traced = &TracedCall<F>::Call;

}  // namespace orvane::host
