#include "protocol/PropertyListReader.h"

namespace orvane::host {

namespace {

uint32_t Le32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A four-character code stored little-endian reads back reversed; this restores its order.
std::string Code(const uint8_t *p) {
  return std::string{char(p[3]), char(p[2]), char(p[1]), char(p[0])};
}

}  // namespace

uint32_t PiplProperty::U32() const { return data.size() >= 4 ? Le32(data.data()) : 0; }

uint16_t PiplProperty::U16(std::size_t at) const {
  return data.size() >= at + 2 ? uint16_t(data[at] | data[at + 1] << 8) : 0;
}

std::string PiplProperty::CountedText() const {
  if (data.empty() || data[0] + 1u > data.size()) return {};
  return std::string(data.begin() + 1, data.begin() + 1 + data[0]);
}

std::string PiplProperty::CString() const {
  std::string out;
  for (uint8_t c : data) {
    if (!c) break;
    out.push_back(char(c));
  }
  return out;
}

const PiplProperty *PropertyList::Find(const std::string &key) const {
  for (const PiplProperty &p : properties) {
    if (p.key == key) return &p;
  }
  return nullptr;
}

std::optional<uint32_t> PropertyList::Long(const std::string &key) const {
  const PiplProperty *p = Find(key);
  if (!p || p->length != 4) return std::nullopt;
  return p->U32();
}

std::optional<std::string> PropertyList::Text(const std::string &key) const {
  const PiplProperty *p = Find(key);
  if (!p) return std::nullopt;
  return p->CountedText();
}

PropertyList ReadPropertyList(const std::vector<uint8_t> &bytes) {
  PropertyList list;
  if (bytes.size() < 10) {
    list.problems.push_back("shorter than its 10-byte header");
    return list;
  }
  list.reserved = uint16_t(bytes[0] | bytes[1] << 8);
  list.version = Le32(&bytes[2]);
  uint32_t count = Le32(&bytes[6]);
  std::size_t at = 10;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 16 > bytes.size()) {
      list.problems.push_back("property " + std::to_string(i + 1) + " runs past the end");
      return list;
    }
    PiplProperty p;
    p.vendor = Code(&bytes[at]);
    p.key = Code(&bytes[at + 4]);
    p.id = Le32(&bytes[at + 8]);
    p.length = Le32(&bytes[at + 12]);
    at += 16;
    std::size_t padded = (std::size_t(p.length) + 3) & ~std::size_t(3);
    if (p.length > bytes.size() || at + padded > bytes.size()) {
      list.problems.push_back("property '" + p.key + "' data runs past the end");
      return list;
    }
    p.data.assign(bytes.begin() + long(at), bytes.begin() + long(at + p.length));
    p.padding.assign(bytes.begin() + long(at + p.length), bytes.begin() + long(at + padded));
    for (uint8_t b : p.padding) {
      if (b) list.problems.push_back("property '" + p.key + "' has non-zero padding");
    }
    at += padded;
    list.properties.push_back(std::move(p));
  }
  if (at != bytes.size()) list.problems.push_back("trailing bytes after the last property");
  // Text properties count their padding; it must be zero all the same.
  for (const PiplProperty &p : list.properties) {
    std::size_t used = 0;
    if (p.key == "name" || p.key == "catg" || p.key == "eMNA") {
      used = p.data.empty() ? 0 : 1 + std::size_t(p.data[0]);
    } else if (p.key == "8664" || p.key == "mi64" || p.key == "ma64") {
      used = p.CString().size() + 1;
    } else {
      continue;
    }
    if (p.length % 4)
      list.problems.push_back("property '" + p.key + "' length is not a multiple of 4");
    for (std::size_t i = used; i < p.data.size(); ++i) {
      if (p.data[i]) {
        list.problems.push_back("property '" + p.key + "' has non-zero padding");
        break;
      }
    }
  }
  return list;
}

}  // namespace orvane::host
