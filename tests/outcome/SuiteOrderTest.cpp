// The suite handler's whole table of known suites: each accessor asks for its own name and
// version, and whatever was acquired is released in the one fixed order, whichever order it was
// acquired in. The expected list is written out here in full, in that order.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "AEGP_SuiteHandler.h"

namespace {

using Suite = std::pair<std::string, int>;

const std::vector<Suite> kReleaseOrder = {{"AEGP Marker Suite", 1},
                                          {"AEGP Marker Suite", 2},
                                          {"AEGP Layer Suite", 8},
                                          {"AEGP Layer Suite", 10},
                                          {"AEGP Stream Suite", 9},
                                          {"AEGP Stream Suite", 8},
                                          {"AEGP Stream Suite", 7},
                                          {"AEGP Stream Suite", 4},
                                          {"AEGP Dynamic Stream Suite", 2},
                                          {"AEGP Dynamic Stream Suite", 3},
                                          {"AEGP Dynamic Stream Suite", 5},
                                          {"AEGP Keyframe Suite", 4},
                                          {"AEGP Keyframe Suite", 3},
                                          {"AEGP Keyframe Suite", 1},
                                          {"AEGP Comp Suite", 9},
                                          {"AEGP Comp Suite", 11},
                                          {"AEGP Comp Suite", 14},
                                          {"AEGP Comp Suite", 15},
                                          {"AEGP Comp Suite", 18},
                                          {"AEGP Canvas Suite", 10},
                                          {"AEGP Canvas Suite", 11},
                                          {"AEGP Camera Suite", 2},
                                          {"AEGP Register Suite", 6},
                                          {"AEGP Item Suite", 13},
                                          {"AEGP Item Suite", 11},
                                          {"AEGP Item Suite", 10},
                                          {"AEGP Item Suite", 7},
                                          {"AEGP Item Suite", 3},
                                          {"AEGP PF Interface Suite", 1},
                                          {"PF Path Query Suite", 1},
                                          {"AEGP Memory Suite", 1},
                                          {"PF Path Data Suite", 1},
                                          {"PF AE App Suite", 6},
                                          {"PF AE Adv App Suite", 2},
                                          {"AEGP Light Suite", 1},
                                          {"AEGP Light Suite", 2},
                                          {"AEGP Effect Suite", 1},
                                          {"AEGP Effect Suite", 2},
                                          {"AEGP Effect Suite", 3},
                                          {"AEGP Layer Mask Suite", 5},
                                          {"AEGP Mask Outline Suite", 3},
                                          {"AEGP Command Suite", 1},
                                          {"AEGP Utility Suite", 7},
                                          {"AEGP Render Suite", 1},
                                          {"AEGP Render Suite", 2},
                                          {"PF ANSI Suite", 1},
                                          {"PF Handle Suite", 2},
                                          {"PF Fill Matte Suite", 2},
                                          {"PF World Transform Suite", 1},
                                          {"AEGP QueryXform Suite", 4},
                                          {"AEGP Composite Suite", 4},
                                          {"PF World Suite", 1},
                                          {"AEGP IO In Suite", 5},
                                          {"AEGP IO Out Suite", 7},
                                          {"AEGP Render Queue Suite", 1},
                                          {"AEGP Render Queue Item Suite", 3},
                                          {"AEGP Output Module Suite", 4},
                                          {"AEGP File Import Manager Suite", 3},
                                          {"PF Sampling8 Suite", 1},
                                          {"PF Sampling16 Suite", 1},
                                          {"PF Iterate8 Suite", 1},
                                          {"PF iterate16 Suite", 1},
                                          {"PF iterateFloat Suite", 1},
                                          {"AEGP Collection Suite", 2},
                                          {"AEGP Text Document Suite", 1},
                                          {"AEGP Sound Data Suite", 1},
                                          {"AEGP Text Layer Suite", 1},
                                          {"AEGP Artisan Util Suite", 1},
                                          {"AEGP World Suite", 2},
                                          {"AEGP World Suite", 3},
                                          {"AEGP Render Options Suite", 1},
                                          {"AEGP Tracker Suite", 1},
                                          {"AEGP Tracker Utility Suite", 1},
                                          {"AE Plugin Helper Suite2", 2},
                                          {"AEGP Layer Suite", 11},
                                          {"AEGP Layer Suite", 12},
                                          {"AEGP Layer Suite", 13},
                                          {"PF AE Adv Item Suite", 1},
                                          {"AEGP Layer Suite", 5},
                                          {"AEGP Layer Mask Suite", 2},
                                          {"AEGP Layer Mask Suite", 6},
                                          {"AEGP Comp Suite", 4},
                                          {"AEGP Collection Suite", 1},
                                          {"AEGP Mask Outline Suite", 2},
                                          {"PF AE Adv App Suite", 1},
                                          {"AEGP Utility Suite", 3},
                                          {"AEGP Render Options Suite", 2},
                                          {"AEGP Proj Suite", 8},
                                          {"AEGP Proj Suite", 9},
                                          {"AEGP Footage Suite", 11},
                                          {"AEGP Render Queue Item Suite", 4},
                                          {"AEGP Utility Suite", 10},
                                          {"AEGP Persistent Data Suite", 3},
                                          {"PF Color Settings Suite", 3},
                                          {"PF Color Settings Suite", 1},
                                          {"PF ColorParamSuite", 1},
                                          {"PF SamplingFloat Suite", 1},
                                          {"AEGP Utility Suite", 11},
                                          {"PF Effect Custom UI Suite", 1},
                                          {"PF Effect Custom UI Overlay Theme Suite", 1},
                                          {"DRAWBOT Draw Suite", 1},
                                          {"DRAWBOT Supplier Suite", 1},
                                          {"DRAWBOT Surface Suite", 1},
                                          {"DRAWBOT Path Suite", 1}};

struct RecordingHost {
  static RecordingHost *current;
  std::vector<Suite> acquired, released;
  int table = 0;
  SPBasicSuite basic{Acquire, Release};
  RecordingHost() { current = this; }
  ~RecordingHost() { current = nullptr; }
  static SPErr Acquire(const char *name, int32_t version, const void **suite) {
    current->acquired.push_back({name, version});
    *suite = &current->table;
    return 0;
  }
  static SPErr Release(const char *name, int32_t version) {
    current->released.push_back({name, version});
    return 0;
  }
};
RecordingHost *RecordingHost::current = nullptr;

// One call per accessor, in the order the handler declares them.
std::vector<std::function<void(AEGP_SuiteHandler &)>> EveryAccessor() {
  std::vector<std::function<void(AEGP_SuiteHandler &)>> calls;
#define ORVANE_TEST_CALL(accessor, type, name, version) \
  calls.push_back([](AEGP_SuiteHandler &h) { (void)h.accessor(); });
  ORVANE_KNOWN_SUITES(ORVANE_TEST_CALL)
#undef ORVANE_TEST_CALL
  return calls;
}

TEST(KnownSuites, EveryAcquiredSuiteIsReleasedOnceInTheFixedOrder) {
  const auto calls = EveryAccessor();
  ASSERT_EQ(calls.size(), kReleaseOrder.size());
  RecordingHost host;
  {
    AEGP_SuiteHandler suites(&host.basic);
    // Backwards, and each twice: the order of release is the list's, not the acquisition's.
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) (*it)(suites);
    for (const auto &call : calls) call(suites);
    EXPECT_TRUE(host.released.empty());
  }
  const std::vector<Suite> backwards(kReleaseOrder.rbegin(), kReleaseOrder.rend());
  EXPECT_EQ(host.acquired, backwards);
  EXPECT_EQ(host.released, kReleaseOrder);
}

TEST(KnownSuites, OnlyWhatWasAcquiredIsReleasedInListOrder) {
  const auto calls = EveryAccessor();
  ASSERT_EQ(calls.size(), kReleaseOrder.size());
  RecordingHost host;
  {
    AEGP_SuiteHandler suites(&host.basic);
    for (std::size_t i = calls.size(); i-- > 0;) {
      if (i % 3 == 1) calls[i](suites);
    }
  }
  std::vector<Suite> expected;
  for (std::size_t i = 0; i < kReleaseOrder.size(); ++i) {
    if (i % 3 == 1) expected.push_back(kReleaseOrder[i]);
  }
  EXPECT_EQ(host.released, expected);
}

}  // namespace
