// The choke point every host function passes through: it counts and records the call and, when
// a fault is planned for it, makes the call fail with the planned error instead.
#ifndef ORVANE_HOST_CALLTRACE_H
#define ORVANE_HOST_CALLTRACE_H

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "AE_Effect.h"

namespace orvane::host {

struct TraceEntry {
  const char *function;  // static string: the host function's name
  PF_Err injected;       // the planned error returned instead of doing the call, or 0
};

class CallTrace {
 public:
  // Called first by every host function; a non-zero result is the error the call must return.
  PF_Err Enter(const char *function) {
    ++calls_;
    PF_Err err = PlannedError(function);
    if (err && !CanFail(function)) err = PF_Err_NONE;
    if (recording_) entries_.push_back({function, err});
    if (err) ++injected_;
    return err;
  }

  void SetRecording(bool on) { recording_ = on; }
  // Calls that give something back or close what was opened: they may follow a failure.
  static bool IsRelease(const char *function);
  // Formatting, maths and coordinate callbacks, and the handle calls that return nothing, are
  // traced but never made to fail: they have no way to report it.
  static bool CanFail(const char *function);
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

 private:
  PF_Err PlannedError(const char *function);

  struct FunctionFault {
    std::size_t nth;
    PF_Err err;
    std::size_t seen = 0;
  };
  bool recording_ = true;
  std::size_t calls_ = 0;
  std::size_t injected_ = 0;
  std::size_t fail_at_ = 0;
  PF_Err fail_at_err_ = 0;
  std::unordered_map<std::string, FunctionFault> faults_;
  std::vector<TraceEntry> entries_;
};

}  // namespace orvane::host

#endif
