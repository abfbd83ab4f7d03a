// The validator's report as JUnit XML, as CI systems read it: one test case per check, its
// failures (or the crash, or the time-out) with their messages.
#pragma once

#include <string>

#include "report/Json.h"

namespace orvane::host {

// Text made safe for XML content and attribute values: the five special characters as entities,
// line breaks and tabs as character references, other control characters, bytes that are not
// UTF-8 and U+FFFE and U+FFFF (which XML 1.0 cannot carry at all) as U+FFFD.
std::string XmlEscaped(const std::string &text);
// `report` is the validator's JSON report ({"module", "checks": [...], "summary"}).
std::string JUnitXml(const Json &report);

}  // namespace orvane::host
