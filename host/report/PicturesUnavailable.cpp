// Builds without Cairo (the Windows host) write no pictures; asking for one is a clear error.
#include "model/Errors.h"
#include "report/Pictures.h"

namespace orvane::host {

void WriteWindowPng(Session &, WindowKind, double, const std::string &path, bool) {
  throw BadInput("cannot write " + path +
                 ": this build of orvane-host writes no pictures (PNG needs the Linux build)");
}

std::string WindowPng(Session &, WindowKind, double) {
  throw BadInput("this build of orvane-host draws no pictures (PNG needs the Linux build)");
}

void WriteContactSheet(Session &, const std::vector<double> &, const SheetLayout &,
                       const std::string &path) {
  throw BadInput("cannot write " + path +
                 ": this build of orvane-host writes no pictures (PNG needs the Linux build)");
}

}  // namespace orvane::host
