// Build-time tool: writes the property list bytes for one target.
//   pipl_gen windows OUT.bin       little-endian list with the Windows code-entry property
//   pipl_gen linux OUT.c           the same bytes as a C array in the module's "orvane_pipl"
//   section
//   pipl_gen macos OUT.rsrc        big-endian list with the macOS x86-64 code-entry property, as
//   resource 'PiPL' 16000 of a classic resource file
#include <cstdio>
#include <cstring>
#include <fstream>

#include "PropertyList.h"
#include "ResourceFile.h"

using namespace Orvane::Pipl;

namespace {

void Write(std::ofstream &out, const std::vector<uint8_t> &bytes) {
  out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pipl_gen windows|linux|macos OUTPUT\n");
    return 2;
  }
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
  } else if (std::strcmp(argv[1], "macos") == 0) {
    // The application reads a macOS bundle's list as the resource compiler on the Mac writes
    // it: big-endian, four-character codes in their natural order.
    Write(out,
          Orvane::Rsrc::SingleResourceFile(FourCC("PiPL"), int16_t(kResourceId),
                                           Encode(Properties(Target::MacX86_64), ByteOrder::Big)));
  } else {
    std::fprintf(stderr, "pipl_gen: unknown target '%s'\n", argv[1]);
    return 2;
  }
  return out.good() ? 0 : 1;
}
