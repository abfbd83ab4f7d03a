// Build-time tool: writes the property list bytes for one target.
//   pipl_gen windows OUT.bin       little-endian list with the Windows code-entry property
//   pipl_gen linux OUT.c           the same bytes as a C array in the module's "orvane_pipl"
//   section
//   pipl_gen macos OUT.rsrc [ARCH...]
//                                  big-endian list with a macOS code-entry property for each
//                                  architecture the bundle carries (x86_64, arm64; x86_64 when
//                                  none is named), as resource 'PiPL' 16000 of a classic
//                                  resource file
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "PropertyList.h"
#include "ResourceFile.h"

using namespace Orvane::Pipl;

namespace {

void Write(std::ofstream &out, const std::vector<uint8_t> &bytes) {
  out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// The macOS targets named by `names` (each one architecture or a CMake list of them), x86-64
// first whatever the order given, each once. False, with a message, on a name it does not know.
bool MacTargets(int count, char **names, std::vector<Target> *targets) {
  bool x86_64 = count == 0, arm64 = false;
  for (int i = 0; i < count; ++i) {
    std::istringstream list(names[i]);
    for (std::string name; std::getline(list, name, ';');) {
      if (name == "x86_64") {
        x86_64 = true;
      } else if (name == "arm64") {
        arm64 = true;
      } else {
        std::fprintf(stderr, "pipl_gen: unknown macOS architecture '%s' (x86_64 or arm64)\n",
                     name.c_str());
        return false;
      }
    }
  }
  if (!x86_64 && !arm64) {
    std::fprintf(stderr, "pipl_gen: no macOS architecture named\n");
    return false;
  }
  if (x86_64) targets->push_back(Target::MacX86_64);
  if (arm64) targets->push_back(Target::MacArm64);
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const bool macos = argc >= 3 && std::strcmp(argv[1], "macos") == 0;
  if (argc != 3 && !macos) {
    std::fprintf(stderr,
                 "usage: pipl_gen windows|linux OUTPUT | pipl_gen macos OUTPUT [ARCH...]\n");
    return 2;
  }
  std::vector<Target> mac_targets;
  if (macos && !MacTargets(argc - 3, argv + 3, &mac_targets)) return 2;
  const std::vector<uint8_t> bytes = Encode(Properties(Target::Windows64), ByteOrder::Little);
  std::ofstream out(argv[2], std::ios::binary);
  if (std::strcmp(argv[1], "windows") == 0) {
    Write(out, bytes);
  } else if (std::strcmp(argv[1], "linux") == 0) {
    // The Linux module carries the list in a section of its own, where the host finds it.
    out << "__attribute__((used, section(\"orvane_pipl\"))) static const unsigned char "
           "orvane_property_list[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i)
      out << (i % 16 ? " " : "\n  ") << int(bytes[i]) << ",";
    out << "\n};\n";
  } else if (macos) {
    // The application reads a macOS bundle's list as the resource compiler on the Mac writes
    // it: big-endian, four-character codes in their natural order.
    Write(out, Orvane::Rsrc::SingleResourceFile(FourCC("PiPL"), int16_t(kResourceId),
                                                Encode(Properties(mac_targets), ByteOrder::Big)));
  } else {
    std::fprintf(stderr, "pipl_gen: unknown target '%s'\n", argv[1]);
    return 2;
  }
  return out.good() ? 0 : 1;
}
