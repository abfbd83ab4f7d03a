#include "report/Format.h"

#include <cmath>
#include <cstdio>

namespace orvane::host {

std::string CountText(double n) {
  char text[48];
  if (std::fabs(n) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", n);
    std::string s = text;
    for (int i = int(s.size()) - 3; i > (s[0] == '-' ? 1 : 0); i -= 3)
      s.insert(std::size_t(i), ",");
    return s;
  }
  std::snprintf(text, sizeof text, "%.3g", n);
  return text;
}

std::string BytesText(double n) {
  char text[48];
  if (n >= 1073741824.0)
    std::snprintf(text, sizeof text, "%.1f GiB", n / 1073741824.0);
  else
    std::snprintf(text, sizeof text, "%.1f MiB", n / 1048576.0);
  return text;
}

std::string NumberText(double n) {
  char text[48];
  std::snprintf(text, sizeof text, "%g", n);
  return text;
}

}  // namespace orvane::host
