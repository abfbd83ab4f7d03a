#include "AEGP_SuiteHandler.h"

#include "MissingSuiteError.h"

const KnownSuite AEGP_SuiteHandler::kKnownSuites[AEGP_SuiteHandler::kSuiteCount] = {
#define ORVANE_SUITE_ROW(accessor, type, name, version) {name, version},
    ORVANE_KNOWN_SUITES(ORVANE_SUITE_ROW)
#undef ORVANE_SUITE_ROW
};

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite *basic) : basic_(basic), slots_() {
  if (!basic_) MissingSuiteError();
}

AEGP_SuiteHandler::~AEGP_SuiteHandler() { ReleaseAllSuites(); }

const void *AEGP_SuiteHandler::Acquire(SuiteIndex index) {
  if (slots_[index]) return slots_[index];
  const void *table = nullptr;
  const KnownSuite &suite = kKnownSuites[index];
  if (basic_->AcquireSuite(suite.name, suite.version, &table) != 0 || !table) MissingSuiteError();
  slots_[index] = table;
  return table;
}

void AEGP_SuiteHandler::ReleaseSuite(const char *name, int version) {
  // Nothing useful can be done about a refused release; the host keeps its own count.
  (void)basic_->ReleaseSuite(name, version);
}

void AEGP_SuiteHandler::ReleaseAllSuites() {
  for (std::size_t i = 0; i < kSuiteCount; ++i) {
    if (!slots_[i]) continue;
    ReleaseSuite(kKnownSuites[i].name, kKnownSuites[i].version);
    slots_[i] = nullptr;
  }
}

void AEGP_SuiteHandler::MissingSuiteError() const { Orvane::ThrowMissingSuite(); }
