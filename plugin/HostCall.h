// The host-call convention of the mask commands, written once: one error value per command;
// each host query runs only while it is clear and its result becomes the value; every handle
// that was obtained is released whatever happened, and a release's error counts only while the
// value is still clear. Handles start null, so only what was obtained is released.
#ifndef ORVANE_PLUGIN_HOSTCALL_H
#define ORVANE_PLUGIN_HOSTCALL_H

#include <utility>

#include "AE_GeneralPlug.h"

namespace Orvane {

class ErrorChain {
 public:
  // Runs `call` (returning a host error code) only while no error has been recorded.
  template <typename Call>
  ErrorChain &Do(Call &&call) {
    if (!err_) err_ = call();
    return *this;
  }
  // Folds in the result of a release, which runs whatever the value is.
  void Released(A_Err release_err) {
    if (!err_) err_ = release_err;
  }
  bool ok() const { return err_ == A_Err_NONE; }
  A_Err err() const { return err_; }

 private:
  A_Err err_ = A_Err_NONE;
};

// A host handle owned for the rest of a scope. `Release` is called with the handle when the
// holder is reset or destroyed, only if the handle was obtained.
template <typename Handle, typename Release>
class Owned {
 public:
  Owned(ErrorChain &chain, Release release) : chain_(chain), release_(std::move(release)) {}
  ~Owned() { reset(); }
  Owned(const Owned &) = delete;
  Owned &operator=(const Owned &) = delete;

  Handle *out() { return &handle_; }
  Handle get() const { return handle_; }
  void reset() {
    if (!handle_) return;
    Handle handle = handle_;
    handle_ = nullptr;
    try {
      chain_.Released(release_(handle));
    } catch (A_Err err) {
      // Releases go through suites the command already holds; should one be refused all the
      // same, the refusal is the command's error rather than an exception out of a destructor.
      chain_.Released(err);
    }
  }

 private:
  ErrorChain &chain_;
  Release release_;
  Handle handle_ = nullptr;
};

template <typename Handle, typename Release>
Owned<Handle, Release> Own(ErrorChain &chain, Release release) {
  return Owned<Handle, Release>(chain, std::move(release));
}

// A stream value owned for the rest of a scope; disposed when it holds a stream.
template <typename Release>
class OwnedValue {
 public:
  OwnedValue(ErrorChain &chain, Release release) : chain_(chain), release_(std::move(release)) {}
  ~OwnedValue() { reset(); }
  OwnedValue(const OwnedValue &) = delete;
  OwnedValue &operator=(const OwnedValue &) = delete;

  AEGP_StreamValue2 *out() {
    value_.streamH = nullptr;
    return &value_;
  }
  AEGP_StreamValue2 &get() { return value_; }
  void reset() {
    if (!value_.streamH) return;
    try {
      chain_.Released(release_(&value_));
    } catch (A_Err err) {
      chain_.Released(err);
    }
    value_.streamH = nullptr;
  }

 private:
  ErrorChain &chain_;
  Release release_;
  AEGP_StreamValue2 value_{};
};

template <typename Release>
OwnedValue<Release> OwnValue(ErrorChain &chain, Release release) {
  return OwnedValue<Release>(chain, std::move(release));
}

}  // namespace Orvane

#endif
