#include "Image.h"

#include <algorithm>
#include <cstring>

namespace orvane::host {

Image::Image(A_long w, A_long h, int bits) : width(w), height(h), depth(bits) {
  // Rows are padded to 16 bytes, so code that assumes width * pixel size is caught.
  rowbytes = A_long((std::size_t(w) * std::size_t(PixelBytes()) + 15) / 16 * 16);
  data.assign(std::size_t(rowbytes) * std::size_t(h), 0);
}

PF_EffectWorld Image::World() {
  PF_EffectWorld world{};
  world.world_flags = PF_WorldFlag_WRITEABLE | (depth == 16 ? PF_WorldFlag_DEEP : 0) |
                      (depth == 32 ? PF_WorldFlag_FLOAT : 0);
  world.data = data.data();
  world.rowbytes = rowbytes;
  world.width = width;
  world.height = height;
  world.extent_hint = PF_LRect{0, 0, width, height};
  world.pix_aspect_ratio = PF_RationalScale{1, 1};
  return world;
}

PF_Pixel Image::At8(A_long x, A_long y) const {
  const uint8_t *p = Row(y) + std::size_t(x) * std::size_t(PixelBytes());
  if (depth == 8) return PF_Pixel{p[0], p[1], p[2], p[3]};
  A_u_char c[4];
  for (int i = 0; i < 4; ++i) {
    double unit;
    if (depth == 16) {
      uint16_t v;
      std::memcpy(&v, p + 2 * i, 2);
      unit = v / 32768.0;  // 16-bit channels run from 0 to 32768
    } else {
      float v;
      std::memcpy(&v, p + 4 * i, 4);
      unit = v;
    }
    c[i] = A_u_char(std::clamp(unit, 0.0, 1.0) * 255.0 + 0.5);
  }
  return PF_Pixel{c[0], c[1], c[2], c[3]};
}

Image TestPattern(A_long width, A_long height, int depth) {
  Image image(width, height, depth);
  for (A_long y = 0; y < height; ++y) {
    uint8_t *row = image.Row(y);
    for (A_long x = 0; x < width; ++x) {
      bool dark = ((x / 64) + (y / 64)) % 2 == 0;
      double shade = dark ? 0.75 : 1.0;
      double argb[4] = {1.0, shade * (0.15 + 0.8 * x / std::max<A_long>(width - 1, 1)),
                        shade * (0.25 + 0.6 * y / std::max<A_long>(height - 1, 1)), shade * 0.55};
      uint8_t *p = row + std::size_t(x) * std::size_t(image.PixelBytes());
      for (int i = 0; i < 4; ++i) {
        if (depth == 8) {
          p[i] = uint8_t(argb[i] * 255.0 + 0.5);
        } else if (depth == 16) {
          uint16_t v = uint16_t(argb[i] * 32768.0 + 0.5);
          std::memcpy(p + 2 * i, &v, 2);
        } else {
          float v = float(argb[i]);
          std::memcpy(p + 4 * i, &v, 4);
        }
      }
    }
  }
  return image;
}

bool SamePixels(const Image &a, const Image &b) {
  if (a.width != b.width || a.height != b.height || a.depth != b.depth) return false;
  const std::size_t bytes = std::size_t(a.width) * std::size_t(a.PixelBytes());
  for (A_long y = 0; y < a.height; ++y) {
    if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0) return false;
  }
  return true;
}

}  // namespace orvane::host
