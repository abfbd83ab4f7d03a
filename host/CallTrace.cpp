#include "CallTrace.h"

#include <cstring>

namespace orvane::host {

bool CallTrace::IsRelease(const char *function) {
  static const char *const kReleases[] = {
      "AEGP_DisposeEffect",   "AEGP_DisposeMask", "AEGP_DisposeStream",   "AEGP_DisposeStreamValue",
      "AEGP_EndUndoGroup",    "checkin_param",    "host_dispose_handle",  "host_unlock_handle",
      "AEGP_EndAddKeyframes", "ReleaseObject",    "checkin_layer_pixels",
  };
  for (const char *release : kReleases) {
    if (std::strcmp(function, release) == 0) return true;
  }
  return false;
}

bool CallTrace::CanFail(const char *function) {
  // The coordinate callbacks report errors that callers have no use for; they are traced only.
  static const char *const kInfallible[] = {"sprintf",
                                            "strcpy",
                                            "fabs",
                                            "layer_to_comp",
                                            "comp_to_layer",
                                            "source_to_frame",
                                            "frame_to_source",
                                            "host_unlock_handle",
                                            "host_dispose_handle"};
  for (const char *name : kInfallible) {
    if (std::strcmp(function, name) == 0) return false;
  }
  return true;
}

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
  if (faults_.empty()) return PF_Err_NONE;  // the common case costs one test
  auto it = faults_.find(function);
  if (it == faults_.end()) return PF_Err_NONE;
  FunctionFault &fault = it->second;
  ++fault.seen;
  return (fault.nth == 0 || fault.nth == fault.seen) ? fault.err : PF_Err_NONE;
}

}  // namespace orvane::host
