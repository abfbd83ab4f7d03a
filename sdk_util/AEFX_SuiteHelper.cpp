#include "AEFX_SuiteHelper.h"

#include <initializer_list>

#include "AE_EffectCB.h"

namespace {

PF_Err Report(PF_InData *in_data, PF_OutData *out_data, const char *message, PF_Err err) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  // The message is its own format: the texts passed here contain no conversions.
  in_data->utils->ansi.sprintf(out_data->return_msg, message);
  return err;
}

template <typename Table>
PF_Err AcquireInto(PF_InData *in_data, PF_OutData *out_data, const char *name, const Table **slot) {
  void *table = nullptr;
  PF_Err err = AEFX_AcquireSuite(in_data, out_data, name, 1, nullptr, &table);
  *slot = static_cast<const Table *>(table);
  return err;
}

}  // namespace

PF_Err AEFX_AcquireSuite(PF_InData *in_data, PF_OutData *out_data, const char *name, int version,
                         const char *error_message, void **suite) {
  if (in_data->pica_basicP) {
    const void *table = nullptr;
    // An error is a refusal even when the host wrote a table: that table is not ours to use.
    const SPErr refused = in_data->pica_basicP->AcquireSuite(name, version, &table);
    *suite = refused ? nullptr : const_cast<void *>(table);
    if (*suite) return PF_Err_NONE;
  }
  return Report(in_data, out_data,
                error_message ? error_message : "Not able to acquire AEFX Suite.",
                PF_Err_BAD_CALLBACK_PARAM);
}

PF_Err AEFX_ReleaseSuite(PF_InData *in_data, PF_OutData *out_data, const char *name, int version,
                         const char *error_message) {
  if (in_data->pica_basicP) {
    (void)in_data->pica_basicP->ReleaseSuite(name, version);
    return PF_Err_NONE;
  }
  return Report(in_data, out_data,
                error_message ? error_message : "Not able to release AEFX Suite.",
                PF_Err_BAD_CALLBACK_PARAM);
}

PF_Err AEFX_AcquireDrawbotSuites(PF_InData *in_data, PF_OutData *out_data, DRAWBOT_Suites *suites) {
  if (!suites) {
    return Report(in_data, out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites",
                  PF_Err_UNRECOGNIZED_PARAM_TYPE);
  }
  PF_Err err = AcquireInto(in_data, out_data, kDRAWBOT_DrawSuite, &suites->drawbot_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDRAWBOT_SupplierSuite, &suites->supplier_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDRAWBOT_SurfaceSuite, &suites->surface_suiteP);
  if (!err) err = AcquireInto(in_data, out_data, kDRAWBOT_PathSuite, &suites->path_suiteP);
  return err;
}

PF_Err AEFX_ReleaseDrawbotSuites(PF_InData *in_data, PF_OutData *out_data) {
  for (const char *name :
       {kDRAWBOT_DrawSuite, kDRAWBOT_SupplierSuite, kDRAWBOT_SurfaceSuite, kDRAWBOT_PathSuite}) {
    (void)AEFX_ReleaseSuite(in_data, out_data, name, 1, nullptr);
  }
  return PF_Err_NONE;
}
