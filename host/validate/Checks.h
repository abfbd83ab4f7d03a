// The checks the registry runs, each defined in the file of its kind.
#pragma once

#include "validate/Validator.h"

namespace orvane::host {

void CheckPropertyList(const CheckContext &context, CheckResult &r);     // ModuleChecks.cpp
void CheckParameters(const CheckContext &context, CheckResult &r);       // ModuleChecks.cpp
void CheckHygiene(const CheckContext &context, CheckResult &r);          // SessionChecks.cpp
void CheckMissingSuites(const CheckContext &context, CheckResult &r);    // SessionChecks.cpp
void CheckFaultSweep(const CheckContext &context, CheckResult &r);       // SessionChecks.cpp
void CheckRenderSentinels(const CheckContext &context, CheckResult &r);  // RenderChecks.cpp
void CheckHostileValues(const CheckContext &context, CheckResult &r);    // RenderChecks.cpp
void CheckUndoIntegrity(const CheckContext &context, CheckResult &r);    // UndoChecks.cpp

}  // namespace orvane::host
