// What the host refuses that this module never does, called as a module would call it: a misuse
// is refused with the error the application gives and named among the session's problems, and
// nothing is written through the arguments.
#include "HostFixture.h"
#include "Params.h"
#include "protocol/suites/SuiteHelpers.h"

namespace orvane::test {
namespace {

class HostMisuse : public HostTest {
 protected:
  const AEGP_LayerMaskSuite6 *MaskSuite() {
    const void *table = nullptr;
    EXPECT_EQ(session().suites().Acquire(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6, &table),
              0);
    return static_cast<const AEGP_LayerMaskSuite6 *>(table);
  }
};

TEST_F(HostMisuse, MasksAreCountedOnlyOnTheEffectsLayerAndIntoACount) {
  ApplyEffect();
  Press(PARAM_CREATE_MASK);
  const AEGP_LayerMaskSuite6 *masks = MaskSuite();
  ASSERT_NE(masks, nullptr);
  const std::size_t problems = session().problems().size();
  int not_a_layer = 0;
  A_long count = -1;
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(reinterpret_cast<AEGP_LayerH>(&not_a_layer), &count),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(count, -1);
  ASSERT_EQ(session().problems().size(), problems + 1);
  EXPECT_EQ(session().problems().back(), "AEGP_GetLayerNumMasks: not the effect's layer");
  const AEGP_LayerH layer = host::LayerToken(session());
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(layer, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(masks->AEGP_GetLayerNumMasks(layer, &count), PF_Err_NONE);
  EXPECT_EQ(count, 1);
  session().suites().Release(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6);
}

}  // namespace
}  // namespace orvane::test
