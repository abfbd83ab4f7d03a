// Numbers as people read them in messages: counts with thousands separated, sizes in MiB or GiB.
#pragma once

#include <string>

namespace orvane::host {

std::string CountText(double n);
std::string BytesText(double n);

}  // namespace orvane::host
