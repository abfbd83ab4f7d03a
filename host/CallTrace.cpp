#include "CallTrace.h"

namespace orvane::host {

void CallTrace::FailFunction(const std::string &function, std::size_t nth, PF_Err err) {
  faults_[function] = FunctionFault{nth, err};
}

void CallTrace::FailCallAt(std::size_t k, PF_Err err) {
  fail_at_ = k;
  fail_at_err_ = err;
}

void CallTrace::ClearFaults() {
  faults_.clear();
  fail_at_ = 0;
  fail_at_err_ = 0;
}

void CallTrace::Reset() {
  entries_.clear();
  calls_ = 0;
  injected_ = 0;
  for (auto &entry : faults_) entry.second.seen = 0;
}

PF_Err CallTrace::PlannedError(const char *function) {
  if (fail_at_ && calls_ == fail_at_) return fail_at_err_;
  if (faults_.empty()) return PF_Err_NONE;
  auto it = faults_.find(function);
  if (it == faults_.end()) return PF_Err_NONE;
  FunctionFault &fault = it->second;
  ++fault.seen;
  return (fault.nth == 0 || fault.nth == fault.seen) ? fault.err : PF_Err_NONE;
}

}  // namespace orvane::host
