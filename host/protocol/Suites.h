// What the host publishes to a module: the callbacks in PF_InData and the suites by name.
#pragma once

#include "AE_EffectCB.h"
#include "AE_EffectSuites.h"
#include "AE_EffectUI.h"
#include "BooleanValues.h"
#include "protocol/SuiteRegistry.h"

namespace orvane::host {

void InstallCallbacks(PF_InData &in_data, PF_UtilCallbacks &utils);
void InstallRenderCallbacks(PF_PreRenderCallbacks &cb);
void InstallRenderCallbacks(PF_SmartRenderCallbacks &cb);
void ProvideSuites(SuiteRegistry &registry);

// One function per group of suites, each in its own source file under suites/.
void ProvideShellSuites(SuiteRegistry &registry);
void ProvideLayerSuites(SuiteRegistry &registry);
void ProvideStreamSuites(SuiteRegistry &registry);
void ProvideCompSuites(SuiteRegistry &registry);
void ProvideDrawbotSuites(SuiteRegistry &registry);
void InstallEventCallbacks(PF_EventCallbacks &cbs, void *refcon);

}  // namespace orvane::host
