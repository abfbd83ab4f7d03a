// Drawbot objects owned through small references that release them when they go out of scope.
#ifndef ORVANE_UI_DRAWBOTREFS_H
#define ORVANE_UI_DRAWBOTREFS_H

#include <exception>

#include "DrawbotSuite.h"

// A failed Drawbot call, carrying the host's error code.
class DRAWBOT_Exception : public std::exception {
 public:
  explicit DRAWBOT_Exception(PF_Err err) : err_(err) {}
  PF_Err err() const { return err_; }
  const char *what() const noexcept override { return "Drawbot call failed"; }

 private:
  PF_Err err_;
};

template <typename T>
class SharedRefImpl {
 public:
  SharedRefImpl() = default;
  // Releasing can fail; a destructor must not throw, so the failure is dropped here. Code that
  // wants to see it calls Release() first.
  virtual ~SharedRefImpl() {
    if (ref_) (void)suite_->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(ref_));
    ref_ = nullptr;
  }
  SharedRefImpl(const SharedRefImpl &) = delete;
  SharedRefImpl &operator=(const SharedRefImpl &) = delete;

  T get() const { return ref_; }
  // Releases the held object; a failure is thrown as DRAWBOT_Exception.
  void Release() {
    if (!ref_) return;
    T ref = ref_;
    ref_ = nullptr;
    if (PF_Err err = suite_->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(ref)))
      throw DRAWBOT_Exception(err);
  }

 protected:
  // Holds a newly created object, releasing a different one held before.
  void Hold(const DRAWBOT_SupplierSuite1 *suite, T ref) {
    // The new object is held first, so it is released even if letting the old one go fails.
    const T old = ref_;
    const DRAWBOT_SupplierSuite1 *old_suite = suite_;
    suite_ = suite;
    ref_ = ref;
    if (old && old != ref) {
      if (PF_Err err = old_suite->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(old)))
        throw DRAWBOT_Exception(err);
    }
  }

 private:
  const DRAWBOT_SupplierSuite1 *suite_ = nullptr;
  T ref_ = nullptr;
};

class DRAWBOT_PenP : public SharedRefImpl<DRAWBOT_PenRef> {
 public:
  void New(const DRAWBOT_SupplierSuite1 *suite, DRAWBOT_SupplierRef supplier,
           const DRAWBOT_ColorRGBA *color, float size) {
    DRAWBOT_PenRef pen = nullptr;
    if (PF_Err err = suite->NewPen(supplier, color, size, &pen)) throw DRAWBOT_Exception(err);
    Hold(suite, pen);
  }
};

class DRAWBOT_PathP : public SharedRefImpl<DRAWBOT_PathRef> {
 public:
  void New(const DRAWBOT_SupplierSuite1 *suite, DRAWBOT_SupplierRef supplier) {
    DRAWBOT_PathRef path = nullptr;
    if (PF_Err err = suite->NewPath(supplier, &path)) throw DRAWBOT_Exception(err);
    Hold(suite, path);
  }
};

#endif
