#include "PropertyList.h"

#include <cstring>

namespace Orvane::Pipl {
namespace {

class Writer {
 public:
  explicit Writer(ByteOrder order) : order_(order) {}
  void U16(uint32_t v) { Int(v, 2); }
  void U32(uint32_t v) { Int(v, 4); }
  void Byte(uint8_t v) { bytes_.push_back(v); }
  void PadTo4() {
    while (bytes_.size() % 4) Byte(0);
  }
  std::vector<uint8_t> &bytes() { return bytes_; }

 private:
  void Int(uint32_t v, int size) {
    for (int i = 0; i < size; ++i) {
      int shift = order_ == ByteOrder::Little ? 8 * i : 8 * (size - 1 - i);
      Byte(uint8_t(v >> shift));
    }
  }
  ByteOrder order_;
  std::vector<uint8_t> bytes_;
};

// The property's data with its counted padding; `trailing` is padding outside the length.
std::vector<uint8_t> Data(const Property &p, ByteOrder order, std::size_t *trailing) {
  Writer w(order);
  *trailing = 0;
  switch (p.form) {
    case Form::Code:
    case Form::Long:
      w.U32(p.a);
      break;
    case Form::ShortPair:
      w.U16(p.a);
      w.U16(p.b);
      break;
    case Form::Short:
      w.U16(p.a);
      *trailing = 2;
      break;
    case Form::CountedText: {
      std::size_t n = std::strlen(p.text);
      w.Byte(uint8_t(n));
      for (std::size_t i = 0; i < n; ++i) w.Byte(uint8_t(p.text[i]));
      w.PadTo4();
      break;
    }
    case Form::CString:
      for (const char *c = p.text; *c; ++c) w.Byte(uint8_t(*c));
      w.Byte(0);
      w.PadTo4();
      break;
  }
  return w.bytes();
}

}  // namespace

std::vector<uint8_t> Encode(const std::vector<Property> &properties, ByteOrder order) {
  Writer w(order);
  w.U16(1);  // reserved
  w.U32(0);  // list version
  w.U32(uint32_t(properties.size()));
  for (const Property &p : properties) {
    std::size_t trailing = 0;
    std::vector<uint8_t> data = Data(p, order, &trailing);
    w.U32(kVendor);
    w.U32(p.key);
    w.U32(0);  // property id
    w.U32(uint32_t(data.size()));
    for (uint8_t b : data) w.Byte(b);
    for (std::size_t i = 0; i < trailing; ++i) w.Byte(0);
  }
  return w.bytes();
}

}  // namespace Orvane::Pipl
