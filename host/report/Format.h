// Numbers as people read them in messages: counts with thousands separated, sizes in MiB or GiB.
#pragma once

#include <string>

namespace orvane::host {

std::string CountText(double n);
std::string BytesText(double n);
// A number as given, to six significant digits (29.97, 0.5, 2.5e+10).
std::string NumberText(double n);

}  // namespace orvane::host
