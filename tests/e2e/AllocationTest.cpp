// The module's own allocations made to fail. This program replaces the global allocation
// functions; an allocation whose caller lies in the loaded module counts, and the chosen one
// throws. Every command must then return the out-of-memory error, leave no handle, checkout or
// undo group open and leak nothing (the sanitizer's leak check runs when the program ends), and
// any other exception must come back as the error the entry point promises.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>

#include "Params.h"
#include "protocol/Session.h"

namespace {

const void *g_module_base = nullptr;     // load address of the module whose allocations count
std::atomic<long> g_module_calls{0};     // allocations the module has made
std::atomic<long> g_fail_at{-1};         // the allocation (counted from 0) that fails; -1: none
std::atomic<bool> g_other_error{false};  // throw something other than std::bad_alloc

void *Allocate(std::size_t size, void *caller) {
  Dl_info info;
  if (g_module_base && dladdr(caller, &info) && info.dli_fbase == g_module_base) {
    const long n = g_module_calls++;
    if (n == g_fail_at.load()) {
      if (g_other_error) throw std::runtime_error("not an allocation failure");
      throw std::bad_alloc();
    }
  }
  if (void *p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void *operator new(std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void *operator new[](std::size_t size) { return Allocate(size, __builtin_return_address(0)); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return Allocate(size, __builtin_return_address(0));
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return Allocate(size, __builtin_return_address(0));
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }

namespace orvane::test {
namespace {

using host::WindowKind;

host::Module &TheModule() {
  static host::Module module(ORVANE_MODULE_PATH);
  if (!g_module_base) {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(module.entry()), &info)) g_module_base = info.dli_fbase;
  }
  return module;
}

// The effect applied with two linked rectangles and "On" set.
void Setup(host::Session &s) {
  s.project().comp.width = s.project().layer.width = 64;
  s.project().comp.height = s.project().layer.height = 36;
  s.project().layer.transform = host::Transform{{32, 18}, {32, 18}, {100, 100}, 0};
  s.project().comp.work_duration = 2.0 / 30;
  ASSERT_EQ(s.Apply(), PF_Err_NONE);
  s.ParamChanged(PARAM_CREATE_MASK);
  s.ParamChanged(PARAM_CREATE_MASK);
}

PF_Err Changed(host::Session &s, PF_ParamIndex index) {
  PF_UserChangedParamExtra extra{index};
  return s.Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

PF_Err Click(host::Session &s) {
  PF_EventExtra extra{};
  extra.e_type = PF_Event_DO_CLICK;
  extra.u.do_click.screen_point = PF_Point{500, 500};  // a miss, so every mask is tested
  return s.SendEvent(WindowKind::Comp, extra, 0).err;
}

struct Command {
  const char *name;
  std::function<PF_Err(host::Session &)> send;
};

const Command kCommands[] = {
    {"pre-render", [](host::Session &s) { return s.Render(s.context()).pre_render_err; }},
    {"draw", [](host::Session &s) { return s.Draw(WindowKind::Comp, 0).err; }},
    {"click", Click},
    {"create", [](host::Session &s) { return Changed(s, PARAM_CREATE_MASK); }},
    {"colour", [](host::Session &s) { return Changed(s, PARAM_MASK_COLOR(0)); }},
    {"bake", [](host::Session &s) { return Changed(s, PARAM_BAKE_MASKS); }},
    {"UI update", [](host::Session &s) { return s.Send(PF_Cmd_UPDATE_PARAMS_UI); }},
};

// The allocations the module makes in one command, counted on a clean run.
long AllocationsIn(const Command &c) {
  host::Session s(TheModule());
  Setup(s);
  g_module_calls = 0;
  EXPECT_EQ(c.send(s), PF_Err_NONE);
  return g_module_calls.load();
}

// Sends the command with the module's k-th allocation failing; returns its result and checks
// what it left behind.
PF_Err SendFailing(const Command &c, long k) {
  host::Session s(TheModule());
  Setup(s);
  const std::size_t from = s.commands().size();
  g_module_calls = 0;
  g_fail_at = k;
  // The command whose allocation fails is the first one the host sends for this step.
  const PF_Err err = c.send(s);
  g_fail_at = -1;
  for (std::size_t i = from; i < s.commands().size(); ++i) {
    for (const auto &problem : s.commands()[i].problems) ADD_FAILURE() << problem;
  }
  EXPECT_TRUE(s.suites().Outstanding().empty());
  EXPECT_FALSE(s.project().undo.group_open());
  EXPECT_EQ(s.handles().live_count(host::HandleKind::Stream), 0u);
  EXPECT_EQ(s.handles().live_count(host::HandleKind::Mask), 0u);
  return err;
}

TEST(AllocationFailure, TheModulesOwnAllocationsAreCounted) {
  // Pre-render keeps the checked-out parameters in a vector: if this program's allocation
  // functions did not stand in for the module's, nothing below would bite.
  EXPECT_GT(AllocationsIn(kCommands[0]), 0);
}

TEST(AllocationFailure, EachFailedAllocationIsOutOfMemoryWithNothingLeftOpen) {
  long swept = 0;
  for (const Command &c : kCommands) {
    const long n = AllocationsIn(c);
    for (long k = 0; k < n; ++k) {
      SCOPED_TRACE(std::string(c.name) + ", allocation " + std::to_string(k) + " failing");
      EXPECT_EQ(SendFailing(c, k), PF_Err_OUT_OF_MEMORY);
      ++swept;
    }
  }
  EXPECT_GT(swept, 4);
}

TEST(AllocationFailure, AnyOtherExceptionIsTheInternalError) {
  g_other_error = true;
  for (const Command &c : kCommands) {
    if (AllocationsIn(c) == 0) continue;
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SendFailing(c, 0), PF_Err_INTERNAL_STRUCT_DAMAGED);
  }
  g_other_error = false;
}

}  // namespace
}  // namespace orvane::test
