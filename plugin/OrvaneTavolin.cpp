// The module's single entry point and the commands answered in full here: About, global
// setup and global tear-down.
#include <new>

#include "AEGP_SuiteHandler.h"
#include "AE_EffectCB.h"
#include "GlobalData.h"
#include "Handlers.h"
#include "PluginInfo.h"

#if defined(_WIN32)
#define ORVANE_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVANE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PF_Err About(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s, v%d.%d%d\r%s", Orvane::kPluginName,
                               Orvane::kMajorVersion, Orvane::kMinorVersion, Orvane::kBugVersion,
                               Orvane::kCredit);
  return PF_Err_NONE;
}

namespace {

// Owns the fresh global-data handle until it is handed to the host: whatever path global setup
// leaves by (refusal, missing suite), a handle that was not handed over is unlocked and disposed.
class PendingGlobalHandle {
 public:
  PendingGlobalHandle(AEGP_SuiteHandler &suites, PF_Handle handle)
      : suites_(suites), handle_(handle) {}
  ~PendingGlobalHandle() {
    if (locked_) suites_.HandleSuite2()->host_unlock_handle(handle_);
    if (handle_) suites_.HandleSuite2()->host_dispose_handle(handle_);
  }
  PendingGlobalHandle(const PendingGlobalHandle &) = delete;
  PendingGlobalHandle &operator=(const PendingGlobalHandle &) = delete;

  GlobalData *Lock() {
    void *block = suites_.HandleSuite2()->host_lock_handle(handle_);
    locked_ = block != nullptr;
    return static_cast<GlobalData *>(block);
  }
  void Unlock() {
    if (locked_) suites_.HandleSuite2()->host_unlock_handle(handle_);
    locked_ = false;
  }
  PF_Handle HandOver() {
    PF_Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  AEGP_SuiteHandler &suites_;
  PF_Handle handle_;
  bool locked_ = false;
};

}  // namespace

PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[], PF_LayerDef *) {
  // Version and flags go out first so that the host has them whatever happens below.
  out_data->my_version = Orvane::kVersion;
  out_data->out_flags = Orvane::kOutFlags;
  out_data->out_flags2 = Orvane::kOutFlags2;

  AEGP_SuiteHandler suites(in_data->pica_basicP);
  PF_Handle handle = suites.HandleSuite2()->host_new_handle(sizeof(GlobalData));
  if (!handle) return PF_Err_INTERNAL_STRUCT_DAMAGED;

  PendingGlobalHandle pending(suites, handle);
  GlobalData *block = pending.Lock();
  // A block that cannot be reached cannot receive the plug-in id that every later command needs.
  PF_Err err = PF_Err_INTERNAL_STRUCT_DAMAGED;
  if (block) {
    err = suites.UtilitySuite7()->AEGP_RegisterWithAEGP(nullptr, Orvane::kRegistrationName,
                                                        &block->plugin_id);
  }
  pending.Unlock();
  if (!err) out_data->global_data = pending.HandOver();
  return err;
}

PF_Err GlobalSetdown(PF_InData *in_data) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  if (in_data->global_data) suites.HandleSuite2()->host_dispose_handle(in_data->global_data);
  return PF_Err_NONE;
}

namespace {

PF_Err Dispatch(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                PF_LayerDef *output, void *extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return About(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetup(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETDOWN:
      return GlobalSetdown(in_data);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
      return UserChangedParam(in_data, out_data, params, output,
                              static_cast<const PF_UserChangedParamExtra *>(extra));
    case PF_Cmd_UPDATE_PARAMS_UI:
      return UpdateParamsUI(in_data, out_data, params, output);
    case PF_Cmd_EVENT:
      return HandleEvent(in_data, out_data, params, output, static_cast<PF_EventExtra *>(extra));
    case PF_Cmd_SMART_PRE_RENDER:
      return SmartPreRender(in_data, out_data, static_cast<PF_PreRenderExtra *>(extra));
    case PF_Cmd_SMART_RENDER:
      return SmartRender(in_data, out_data, static_cast<PF_SmartRenderExtra *>(extra));
    default:
      return PF_Err_NONE;
  }
}

}  // namespace

// The module's one error boundary: nothing thrown below may reach the host as an exception.
ORVANE_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                    PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
  try {
    return Dispatch(cmd, in_data, out_data, params, output, extra);
  } catch (A_Err &err) {
    return err;
  } catch (std::bad_alloc &) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
