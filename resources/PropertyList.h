// The plug-in property list: one description of its properties, from which the build writes
// the resource bytes for each platform. Version and flag words come from PluginInfo.h,
// the same constants global setup reports.
#ifndef ORVANE_RESOURCES_PROPERTYLIST_H
#define ORVANE_RESOURCES_PROPERTYLIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "PluginInfo.h"

namespace Orvane::Pipl {

constexpr uint32_t FourCC(const char (&code)[5]) {
  return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
         (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

enum class Form {
  Code,         // a four-character code
  CountedText,  // length byte, characters, zero padding to 4 (padding counted)
  CString,      // characters, terminating zero, zero padding to 4 (padding counted)
  ShortPair,    // two 16-bit values
  Long,         // one 32-bit value
  Short,        // one 16-bit value, 2 padding bytes outside the counted length
};

struct Property {
  uint32_t key;
  Form form;
  uint32_t a;  // Code, Long, Short, first of ShortPair
  uint32_t b;  // second of ShortPair
  const char *text;
};

// A module's platform and CPU. A macOS bundle may carry several CPUs' code in one file, and its
// list then names the entry function once for each.
enum class Target { Windows64, MacX86_64, MacArm64 };

constexpr uint32_t kVendor = FourCC("8BIM");
constexpr uint32_t kResourceId = 16000;

// The code-entry key under which the host looks for the entry function of each target.
constexpr uint32_t EntryKey(Target target) {
  return target == Target::Windows64   ? FourCC("8664")
         : target == Target::MacX86_64 ? FourCC("mi64")
                                       : FourCC("ma64");
}

// The properties in their stored order, with one code entry for each of `targets` (in the
// order given) where a single-target list has its one: twelve properties for one target.
inline std::vector<Property> Properties(const std::vector<Target> &targets) {
  std::vector<Property> list = {
      {FourCC("kind"), Form::Code, FourCC("eFKT"), 0, nullptr},
      {FourCC("name"), Form::CountedText, 0, 0, kPluginName},
      {FourCC("catg"), Form::CountedText, 0, 0, kCategory},
      {FourCC("ePVR"), Form::ShortPair, 2, 0, nullptr},
      {FourCC("eSVR"), Form::ShortPair, 13, 1, nullptr},
      {FourCC("eVER"), Form::Long, kVersion, 0, nullptr},
      {FourCC("eINF"), Form::Short, 0, 0, nullptr},
      {FourCC("eGLO"), Form::Long, static_cast<uint32_t>(kOutFlags), 0, nullptr},
      {FourCC("eGL2"), Form::Long, static_cast<uint32_t>(kOutFlags2), 0, nullptr},
      {FourCC("eMNA"), Form::CountedText, 0, 0, kMatchName},
      {FourCC("aeFL"), Form::Long, 8, 0, nullptr},
  };
  std::vector<Property> entries;
  for (Target target : targets)
    entries.push_back({EntryKey(target), Form::CString, 0, 0, kEntryPointName});
  list.insert(list.begin() + 3, entries.begin(), entries.end());
  return list;
}

inline std::vector<Property> Properties(Target target) {
  return Properties(std::vector<Target>{target});
}

enum class ByteOrder { Little, Big };

// The resource bytes: little-endian for Windows, big-endian as the Mac resource compiler writes.
std::vector<uint8_t> Encode(const std::vector<Property> &properties, ByteOrder order);

}  // namespace Orvane::Pipl

#endif
