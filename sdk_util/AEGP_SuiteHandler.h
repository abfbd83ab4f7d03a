// Per-command access to the host's suites: each suite is acquired on first use, kept for the
// rest of the command and released when the handler is destroyed, also during unwinding.
#ifndef ORVANE_SDK_UTIL_AEGP_SUITEHANDLER_H
#define ORVANE_SDK_UTIL_AEGP_SUITEHANDLER_H

#include <cstddef>

#include "AE_AdvEffectSuites.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_EffectUI.h"
#include "AE_GeneralPlug.h"
#include "DrawbotSuite.h"
#include "KnownSuites.h"
#include "SPBasic.h"

struct KnownSuite {
  const char *name;
  int version;
};

class AEGP_SuiteHandler {
  enum SuiteIndex : std::size_t {
#define ORVANE_SUITE_INDEX(accessor, type, name, version) k##accessor,
    ORVANE_KNOWN_SUITES(ORVANE_SUITE_INDEX)
#undef ORVANE_SUITE_INDEX
        kSuiteCount
  };

 public:
  // The known suites in release order; shared with the host tooling that checks this order.
  static const KnownSuite kKnownSuites[kSuiteCount];
  static constexpr std::size_t kKnownSuiteCount = kSuiteCount;

  explicit AEGP_SuiteHandler(const SPBasicSuite *basic);
  ~AEGP_SuiteHandler();
  AEGP_SuiteHandler(const AEGP_SuiteHandler &) = delete;
  AEGP_SuiteHandler &operator=(const AEGP_SuiteHandler &) = delete;

#define ORVANE_SUITE_ACCESSOR(accessor, type, name, version) \
  const type *accessor() { return static_cast<const type *>(Acquire(k##accessor)); }
  ORVANE_KNOWN_SUITES(ORVANE_SUITE_ACCESSOR)
#undef ORVANE_SUITE_ACCESSOR

  void ReleaseSuite(const char *name, int version);
  void ReleaseAllSuites();
  [[noreturn]] void MissingSuiteError() const;

 private:
  const void *Acquire(SuiteIndex index);

  const SPBasicSuite *basic_;
  const void *slots_[kSuiteCount];
};

#endif
