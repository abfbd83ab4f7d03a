// A classic Mac OS resource file in its data-fork layout, the form a macOS bundle carries in
// Contents/Resources/*.rsrc. The bundle needs one resource, so that is all this writes.
#ifndef ORVANE_RESOURCES_RESOURCEFILE_H
#define ORVANE_RESOURCES_RESOURCEFILE_H

#include <cstdint>
#include <vector>

namespace Orvane::Rsrc {

// A file holding the single resource `type`/`id` with `data`, no name and no attributes.
std::vector<uint8_t> SingleResourceFile(uint32_t type, int16_t id,
                                        const std::vector<uint8_t> &data);

}  // namespace Orvane::Rsrc

#endif
