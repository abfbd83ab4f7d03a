// Suites for the plug-in shell: handle memory, AEGP registration and undo groups, ANSI maths.
#include <cmath>
#include <cstring>
#include <memory>

#include "AE_EffectCBSuites.h"
#include "AE_GeneralPlug.h"
#include "protocol/Session.h"
#include "protocol/Suites.h"

namespace orvane::host {

namespace {

struct MemoryBlock : HandleObject {
  void *master = nullptr;
  std::unique_ptr<char[]> block;
  A_u_long size = 0;
  int locks = 0;
  bool locked() const override { return locks > 0; }
};

MemoryBlock *Block(PF_Handle h, const char *function) {
  return Session::Current().handles().Get<MemoryBlock>(h, HandleKind::Memory, function);
}

PF_Handle NewHandle(A_u_long size) {
  Session &s = Session::Current();
  if (s.trace().Enter(HostFunction{"host_new_handle", kFailsAsNull}, size)) return nullptr;
  auto *m = s.handles().Make<MemoryBlock>(HandleKind::Memory);
  m->block = std::make_unique<char[]>(size ? size : 1);
  m->size = size;
  m->master = m->block.get();
  PF_Handle h = &m->master;
  s.handles().Alias(h, m);
  return h;
}

void *LockHandle(PF_Handle h) {
  if (Session::Current().trace().Enter(HostFunction{"host_lock_handle", kFailsAsNull}, H(h)))
    return nullptr;
  MemoryBlock *m = Block(h, "host_lock_handle");
  if (!m) return nullptr;
  ++m->locks;
  return m->master;
}

void UnlockHandle(PF_Handle h) {
  Session &s = Session::Current();
  // Unlocking and disposing return nothing, so they cannot report a failure.
  s.trace().Enter(HostFunction{"host_unlock_handle", kGivesBack | kCannotFail}, H(h));
  MemoryBlock *m = Block(h, "host_unlock_handle");
  if (m && m->locks == 0) s.handles().Report("host_unlock_handle: memory handle was not locked");
  if (m && m->locks > 0) --m->locks;
}

void DisposeHandle(PF_Handle h) {
  Session::Current().trace().Enter(HostFunction{"host_dispose_handle", kGivesBack | kCannotFail},
                                   H(h));
  Session::Current().handles().Release(h, HandleKind::Memory, "host_dispose_handle");
}

A_u_long GetHandleSize(PF_Handle h) {
  Session::Current().trace().Enter(HostFunction{"host_get_handle_size"}, H(h));
  MemoryBlock *m = Block(h, "host_get_handle_size");
  return m ? m->size : 0;
}

const PF_HandleSuite2 kHandleSuite2 = {Traced<NewHandle>, Traced<LockHandle>, Traced<UnlockHandle>,
                                       Traced<DisposeHandle>, Traced<GetHandleSize>};

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const A_char *name, AEGP_PluginID *plugin_id) {
  ORVANE_HOST_ENTER("AEGP_RegisterWithAEGP", name);
  if (!plugin_id) return PF_Err_BAD_CALLBACK_PARAM;
  *plugin_id = Session::Current().IssuePluginId();
  return A_Err_NONE;
}

const AEGP_UtilitySuite7 kUtilitySuite7 = {Traced<RegisterWithAEGP>};

A_Err StartUndoGroup(const A_char *name) {
  ORVANE_HOST_ENTER("AEGP_StartUndoGroup", name);
  Session &s = Session::Current();
  s.project().undo.StartGroup(s.ModuleText(name, "the undo name"), s.project());
  return A_Err_NONE;
}

A_Err CloseUndoGroup() {
  Project &project = Session::Current().project();
  return project.undo.EndGroup(project) ? A_Err(A_Err_NONE) : A_Err(PF_Err_BAD_CALLBACK_PARAM);
}

A_Err EndUndoGroup() { ORVANE_HOST_RELEASE("AEGP_EndUndoGroup", CloseUndoGroup()); }

const AEGP_UtilitySuite11 kUtilitySuite11 = {Traced<StartUndoGroup>, Traced<EndUndoGroup>};

A_FpLong Fabs(A_FpLong v) {
  Session::Current().trace().Enter(HostFunction{"fabs", kCannotFail}, v);
  return std::fabs(v);
}

const PF_ANSISuite1 kANSISuite1 = {Traced<Fabs>};

}  // namespace

void ProvideShellSuites(SuiteRegistry &registry) {
  registry.Provide(kPFHandleSuite, kPFHandleSuiteVersion2, &kHandleSuite2);
  registry.Provide(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &kUtilitySuite7);
  registry.Provide(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11, &kUtilitySuite11);
  registry.Provide(kPFANSISuite, kPFANSISuiteVersion1, &kANSISuite1);
}

}  // namespace orvane::host
