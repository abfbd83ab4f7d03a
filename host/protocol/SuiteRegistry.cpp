#include "protocol/SuiteRegistry.h"

#include "protocol/Session.h"

namespace orvane::host {
namespace {

// What an unknown suite refused with an error "has" as its table: never meant to be called.
const char kNoTable[64] = {};

// The entry of a suite, made the first time it is named.
template <typename T>
T &Entry(SuiteMap<T> &map, const SuiteName &name) {
  auto it = map.find(name);
  if (it == map.end()) it = map.emplace(SuiteKey(name.first, name.second), T()).first;
  return it->second;
}

// Suites are counted here rather than as host calls; a trace shows them in the order they come.
SPErr AcquireSuite(const char *name, int32_t version, const void **suite) {
  SPErr err = Session::Current().suites().Acquire(name, version, suite);
  Session::Current().trace().Note("AcquireSuite", name, version, err);
  return err;
}
SPErr ReleaseSuite(const char *name, int32_t version) {
  SPErr err = Session::Current().suites().Release(name, version);
  Session::Current().trace().Note("ReleaseSuite", name, version, err);
  return err;
}

}  // namespace

SuiteRegistry::SuiteRegistry() {
  basic_.AcquireSuite = AcquireSuite;
  basic_.ReleaseSuite = ReleaseSuite;
}

void SuiteRegistry::Provide(const std::string &name, int version, const void *table) {
  tables_[{name, version}] = table;
  uses_[{name, version}].provided = true;
}

SPErr SuiteRegistry::Acquire(const char *name, int version, const void **suite) {
  const SuiteName key{name ? name : "", version};
  SuiteUse &use = Entry(uses_, key);
  auto it = tables_.find(key);
  if (it == tables_.end() || (!withheld_.empty() && withheld_.count(key))) {
    use.refused = true;
    // The table written with an error is a real one, so a module that ignores the error works
    // on but gives back a suite it was never counted as holding, which the balance shows.
    const void *written = refusal_ == Refusal::ErrorWithTable && it != tables_.end()
                              ? it->second
                              : static_cast<const void *>(&kNoTable);
    if (suite) *suite = refusal_ == Refusal::ErrorWithTable ? written : nullptr;
    return refusal_ == Refusal::NullTable ? 0 : kSuiteNotFound;
  }
  ++use.acquired;
  ++Entry(balance_, key);
  if (suite) *suite = it->second;
  return 0;
}

SPErr SuiteRegistry::Release(const char *name, int version) {
  const SuiteName key{name ? name : "", version};
  SuiteUse &use = Entry(uses_, key);
  ++use.released;
  --Entry(balance_, key);
  return use.released > use.acquired ? kSuiteNotFound : 0;
}

std::map<SuiteKey, int> SuiteRegistry::TakeImbalance() {
  std::map<SuiteKey, int> out;
  // The counts go back to zero and their entries stay, so that a command costs no allocation for
  // the suites the commands before it asked for.
  for (auto &[key, n] : balance_) {
    if (n) out[key] = n;
    n = 0;
  }
  return out;
}

std::vector<SuiteKey> SuiteRegistry::Outstanding() const {
  std::vector<SuiteKey> out;
  for (const auto &[key, use] : uses_) {
    if (use.acquired != use.released) out.push_back(key);
  }
  return out;
}

}  // namespace orvane::host
