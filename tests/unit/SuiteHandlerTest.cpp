// The suite handler and the AEFX helpers against a scripted basic suite.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "AEFX_SuiteHelper.h"
#include "AEGP_SuiteHandler.h"
#include "AE_EffectCB.h"

namespace {

using Suite = std::pair<std::string, int>;

// The ways a host refuses a suite.
enum class Refusal { ErrorNoTable, NullTable, ErrorWithTable };
const Refusal kRefusals[] = {Refusal::ErrorNoTable, Refusal::NullTable, Refusal::ErrorWithTable};

// A basic suite that hands out a dummy table for every suite except the withheld ones, which it
// refuses in the way chosen, and records the order of every acquire and release.
struct FakeHost {
  static FakeHost *current;
  std::set<Suite> withheld;
  Refusal refusal = Refusal::ErrorNoTable;
  std::vector<Suite> acquired, released;
  int table = 0;
  int stale = 0;  // what a refusal with a table writes
  SPBasicSuite basic{Acquire, Release};

  FakeHost() { current = this; }
  ~FakeHost() { current = nullptr; }

  static SPErr Acquire(const char *name, int32_t version, const void **suite) {
    if (current->withheld.count({name, version})) {
      *suite = current->refusal == Refusal::ErrorWithTable ? &current->stale : nullptr;
      return current->refusal == Refusal::NullTable ? 0 : 1;
    }
    current->acquired.push_back({name, version});
    *suite = &current->table;
    return 0;
  }
  static SPErr Release(const char *name, int32_t version) {
    current->released.push_back({name, version});
    return 0;
  }
};
FakeHost *FakeHost::current = nullptr;

TEST(SuiteHandler, AcquiresNothingUntilAskedAndEachSuiteOnce) {
  FakeHost host;
  {
    AEGP_SuiteHandler suites(&host.basic);
    EXPECT_TRUE(host.acquired.empty());
    const AEGP_StreamSuite9 *first = suites.StreamSuite9();
    EXPECT_EQ(first, suites.StreamSuite9());
  }
  EXPECT_EQ(host.acquired, (std::vector<Suite>{{"AEGP Stream Suite", 9}}));
  EXPECT_EQ(host.released, host.acquired);
}

TEST(SuiteHandler, ReleasesInTheFixedOrderWhateverTheAcquireOrder) {
  FakeHost host;
  {
    AEGP_SuiteHandler suites(&host.basic);
    suites.PathSuite1();
    suites.LayerMaskSuite6();
    suites.UtilitySuite11();
    suites.LayerMaskSuite5();
    suites.StreamSuite9();
  }
  // Layer Mask 5 and 6 are two suites with two slots, released at their own places in the list.
  EXPECT_EQ(host.released, (std::vector<Suite>{{"AEGP Stream Suite", 9},
                                               {"AEGP Layer Mask Suite", 5},
                                               {"AEGP Layer Mask Suite", 6},
                                               {"AEGP Utility Suite", 11},
                                               {"DRAWBOT Path Suite", 1}}));
}

TEST(SuiteHandler, KnownSuiteListIsTheReleaseOrder) {
  ASSERT_EQ(AEGP_SuiteHandler::kKnownSuiteCount, 104u);
  const KnownSuite *known = AEGP_SuiteHandler::kKnownSuites;
  EXPECT_EQ(std::string(known[0].name), "AEGP Marker Suite");
  EXPECT_EQ(std::string(known[61].name), "PF iterate16 Suite");
  EXPECT_EQ(std::string(known[103].name), "DRAWBOT Path Suite");
  std::set<Suite> distinct;
  for (std::size_t i = 0; i < AEGP_SuiteHandler::kKnownSuiteCount; ++i) {
    distinct.insert({known[i].name, known[i].version});
  }
  EXPECT_EQ(distinct.size(), AEGP_SuiteHandler::kKnownSuiteCount);
}

TEST(SuiteHandler, MissingSuiteRaises516AfterReleasingWhatItHeldHoweverItIsRefused) {
  for (Refusal refusal : kRefusals) {
    SCOPED_TRACE(int(refusal));
    FakeHost host;
    host.refusal = refusal;
    host.withheld.insert({"AEGP Comp Suite", 18});
    A_Err caught = 0;
    try {
      AEGP_SuiteHandler suites(&host.basic);
      suites.StreamSuite9();
      suites.UtilitySuite11();
      suites.CompSuite18();
      ADD_FAILURE() << "a withheld suite must raise";
    } catch (A_Err &err) {
      caught = err;
    }
    EXPECT_EQ(caught, PF_Err_BAD_CALLBACK_PARAM);
    // Only the two suites it was given go back; the refused one is never released.
    EXPECT_EQ(host.released, host.acquired);
    EXPECT_EQ(host.acquired.size(), 2u);
  }
}

TEST(SuiteHandler, NullBasicSuiteRaises516) {
  EXPECT_THROW({ AEGP_SuiteHandler suites(nullptr); }, A_Err);
}

// ---- AEFX helpers ----

// The helpers' messages carry no conversions, so copying the format is all printing needs.
A_long CopyFormat(A_char *buffer, const A_char *format, ...) {
  std::size_t n = std::string(format).copy(buffer, 255);
  buffer[n] = '\0';
  return A_long(n);
}

struct HelperBlocks {
  PF_InData in{};
  PF_OutData out{};
  PF_UtilCallbacks utils{};
  explicit HelperBlocks(const SPBasicSuite *basic) {
    utils.ansi.sprintf = CopyFormat;
    in.utils = &utils;
    in.pica_basicP = basic;
  }
};

TEST(AefxHelpers, AcquireReportsAMissingSuiteWith516AndTheDefaultMessageHoweverItIsRefused) {
  for (Refusal refusal : kRefusals) {
    SCOPED_TRACE(int(refusal));
    FakeHost host;
    host.refusal = refusal;
    host.withheld.insert({"PF ANSI Suite", 1});
    HelperBlocks blocks(&host.basic);
    void *suite = &host.table;
    EXPECT_EQ(AEFX_AcquireSuite(&blocks.in, &blocks.out, "PF ANSI Suite", 1, nullptr, &suite),
              PF_Err_BAD_CALLBACK_PARAM);
    // A table written with an error is not the caller's to use.
    EXPECT_EQ(suite, nullptr);
    EXPECT_TRUE(blocks.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_STREQ(blocks.out.return_msg, "Not able to acquire AEFX Suite.");
  }
  FakeHost host;
  HelperBlocks blocks(&host.basic);
  void *suite = nullptr;

  EXPECT_EQ(AEFX_AcquireSuite(&blocks.in, &blocks.out, "AEGP Stream Suite", 9, nullptr, &suite),
            PF_Err_NONE);
  EXPECT_NE(suite, nullptr);
}

TEST(AefxHelpers, DrawbotAcquireStopsAtTheFirstMissingSuite) {
  for (Refusal refusal : kRefusals) {
    SCOPED_TRACE(int(refusal));
    FakeHost host;
    host.refusal = refusal;
    host.withheld.insert({"DRAWBOT Surface Suite", 1});
    HelperBlocks blocks(&host.basic);
    DRAWBOT_Suites suites{};
    EXPECT_EQ(AEFX_AcquireDrawbotSuites(&blocks.in, &blocks.out, &suites),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.acquired,
              (std::vector<Suite>{{"DRAWBOT Draw Suite", 1}, {"DRAWBOT Supplier Suite", 1}}));
    EXPECT_NE(suites.supplier_suiteP, nullptr);
    EXPECT_EQ(suites.surface_suiteP, nullptr);
    EXPECT_EQ(suites.path_suiteP, nullptr);
  }
  FakeHost host;
  HelperBlocks blocks(&host.basic);

  EXPECT_EQ(AEFX_AcquireDrawbotSuites(&blocks.in, &blocks.out, nullptr),
            PF_Err_UNRECOGNIZED_PARAM_TYPE);
  EXPECT_STREQ(blocks.out.return_msg, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
}

TEST(AefxHelpers, DrawbotReleaseAlwaysSucceedsAndReleasesAllFourInOrder) {
  FakeHost host;
  HelperBlocks blocks(&host.basic);
  EXPECT_EQ(AEFX_ReleaseDrawbotSuites(&blocks.in, &blocks.out), PF_Err_NONE);
  EXPECT_EQ(host.released, (std::vector<Suite>{{"DRAWBOT Draw Suite", 1},
                                               {"DRAWBOT Supplier Suite", 1},
                                               {"DRAWBOT Surface Suite", 1},
                                               {"DRAWBOT Path Suite", 1}}));

  HelperBlocks no_host(nullptr);
  EXPECT_EQ(AEFX_ReleaseDrawbotSuites(&no_host.in, &no_host.out), PF_Err_NONE);
  EXPECT_STREQ(no_host.out.return_msg, "Not able to release AEFX Suite.");
  EXPECT_TRUE(no_host.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
}

}  // namespace
