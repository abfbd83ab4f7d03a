// Reading a plug-in property list back from its bytes, checking its layout as it goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::host {

struct PiplProperty {
  std::string vendor;  // four characters in natural order, e.g. "8BIM"
  std::string key;     // e.g. "name"
  uint32_t id = 0;
  uint32_t length = 0;
  std::vector<uint8_t> data;     // `length` bytes
  std::vector<uint8_t> padding;  // zero bytes up to the next multiple of 4, not counted

  uint32_t U32() const;
  uint16_t U16(std::size_t at) const;
  std::string CountedText() const;
  std::string CString() const;
};

struct PropertyList {
  uint16_t reserved = 0;
  uint32_t version = 0;
  std::vector<PiplProperty> properties;
  std::vector<std::string> problems;  // layout faults found while reading

  const PiplProperty *Find(const std::string &key) const;
  std::optional<uint32_t> Long(const std::string &key) const;
  std::optional<std::string> Text(const std::string &key) const;
};

// Reads the little-endian (Windows) form.
PropertyList ReadPropertyList(const std::vector<uint8_t> &bytes);

}  // namespace orvane::host
