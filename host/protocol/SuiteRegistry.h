// The host's basic suite: hands out suite tables by name and version, counts every acquire and
// release, and can withhold any suite to show how a module copes without it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SPBasic.h"

namespace orvane::host {

using SuiteKey = std::pair<std::string, int>;
// A suite as the module names it, looked up without copying its name: a module asks for a suite
// by name in every command, often several times.
using SuiteName = std::pair<std::string_view, int>;
struct SuiteOrder {
  using is_transparent = void;
  template <typename A, typename B>
  bool operator()(const A &a, const B &b) const {
    const int by_name = std::string_view(a.first).compare(std::string_view(b.first));
    return by_name < 0 || (by_name == 0 && a.second < b.second);
  }
};
template <typename T>
using SuiteMap = std::map<SuiteKey, T, SuiteOrder>;

struct SuiteUse {
  int acquired = 0;
  int released = 0;
  bool provided = false;
  bool refused = false;  // asked for but withheld or unknown
};

// The ways a host refuses a suite: an error and no table, success with a null table, or an
// error with a table written all the same (which a module must not use, nor give back).
enum class Refusal { ErrorNoTable, NullTable, ErrorWithTable };

class SuiteRegistry {
 public:
  // Error returned for a suite the host does not provide ('S!Fd').
  static constexpr SPErr kSuiteNotFound = 0x53214664;

  SuiteRegistry();
  SuiteRegistry(const SuiteRegistry &) = delete;
  SuiteRegistry &operator=(const SuiteRegistry &) = delete;

  void Provide(const std::string &name, int version, const void *table);
  void Withhold(const std::string &name, int version) { withheld_.insert({name, version}); }
  void ClearWithheld() { withheld_.clear(); }
  // How a withheld or unknown suite is refused.
  void set_refusal(Refusal refusal) { refusal_ = refusal; }
  Refusal refusal() const { return refusal_; }

  SPErr Acquire(const char *name, int version, const void **suite);
  SPErr Release(const char *name, int version);

  // Per-suite counts of every suite provided or asked for.
  const SuiteMap<SuiteUse> &uses() const { return uses_; }
  // Suites acquired and released unequally often since the last call, with the difference;
  // read after each command.
  std::map<SuiteKey, int> TakeImbalance();
  // Suites acquired more often than released (per suite), for the end of a command.
  std::vector<SuiteKey> Outstanding() const;

  const SPBasicSuite *basic() const { return &basic_; }

 private:
  SuiteMap<const void *> tables_;
  SuiteMap<SuiteUse> uses_;
  std::set<SuiteKey, SuiteOrder> withheld_;
  Refusal refusal_ = Refusal::ErrorNoTable;
  SuiteMap<int> balance_;  // acquires less releases, per suite, in this command
  SPBasicSuite basic_{};
};

}  // namespace orvane::host
