#include "ResourceFile.h"

namespace Orvane::Rsrc {
namespace {

// The resource format is big-endian throughout.
void Put(std::vector<uint8_t> &out, uint32_t v, int size) {
  for (int i = size - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

// The Resource Manager reserves the first 256 bytes (header, then system and application
// areas) and puts the data section after them; resource compilers write files that way.
constexpr uint32_t kDataOffset = 256;
// Map header: a copy of the file header, next-map handle, file reference, attributes, and the
// offsets of the type list and the name list.
constexpr uint32_t kMapHeaderSize = 16 + 4 + 2 + 2 + 2 + 2;
// Type list: the number of types less one, then one entry (type, count less one, offset).
constexpr uint32_t kTypeListSize = 2 + 8;
constexpr uint32_t kReferenceSize = 12;

}  // namespace

std::vector<uint8_t> SingleResourceFile(uint32_t type, int16_t id,
                                        const std::vector<uint8_t> &data) {
  const uint32_t data_length = 4 + uint32_t(data.size());
  const uint32_t map_offset = kDataOffset + data_length;
  const uint32_t map_length = kMapHeaderSize + kTypeListSize + kReferenceSize;

  std::vector<uint8_t> header;
  Put(header, kDataOffset, 4);
  Put(header, map_offset, 4);
  Put(header, data_length, 4);
  Put(header, map_length, 4);

  std::vector<uint8_t> out(header);
  out.resize(kDataOffset, 0);

  // Data section: each resource's bytes after their length.
  Put(out, uint32_t(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());

  // Map: a copy of the header, fields the Resource Manager fills in when it opens the file,
  // then the type list, its reference list and an empty name list.
  out.insert(out.end(), header.begin(), header.end());
  Put(out, 0, 4);  // next map handle
  Put(out, 0, 2);  // file reference number
  Put(out, 0, 2);  // map attributes
  Put(out, kMapHeaderSize, 2);
  Put(out, kMapHeaderSize + kTypeListSize + kReferenceSize, 2);  // name list, empty
  Put(out, 0, 2);                                                // one type
  Put(out, type, 4);
  Put(out, 0, 2);              // one resource of it
  Put(out, kTypeListSize, 2);  // reference list, from the start of the type list
  Put(out, uint16_t(id), 2);
  Put(out, 0xFFFF, 2);  // no name
  Put(out, 0, 1);       // attributes
  Put(out, 0, 3);       // data offset within the data section
  Put(out, 0, 4);       // handle, filled in when loaded
  return out;
}

}  // namespace Orvane::Rsrc
