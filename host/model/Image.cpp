#include "model/Image.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvane::host {

namespace {
constexpr uint32_t kTaggedNaN = 0x7FC0BEEF;
}

Image::Image(A_long w, A_long h, int bits, A_long guard_pixels)
    : width(w), height(h), depth(bits), guard(guard_pixels) {
  // Rows are padded to 16 bytes, so code that assumes width * pixel size is caught.
  rowbytes = A_long((std::size_t(w + 2 * guard) * std::size_t(PixelBytes()) + 15) / 16 * 16);
  data.assign(std::size_t(rowbytes) * std::size_t(h + 2 * guard), 0);
}

void Image::FillSentinel() {
  if (depth != 32) {
    std::fill(data.begin(), data.end(), uint8_t(0xA5));
    return;
  }
  for (std::size_t i = 0; i + 4 <= data.size(); i += 4) std::memcpy(&data[i], &kTaggedNaN, 4);
}

bool Image::GuardIntact() const {
  auto sentinel = [&](std::size_t from, std::size_t to) {
    if (depth != 32) {
      return std::all_of(data.begin() + std::ptrdiff_t(from), data.begin() + std::ptrdiff_t(to),
                         [](uint8_t b) { return b == 0xA5; });
    }
    for (std::size_t at = from; at < to; at += 4) {
      uint32_t v;
      std::memcpy(&v, &data[at], 4);
      if (v != kTaggedNaN) return false;
    }
    return true;
  };
  // Only the band is looked at: whole rows above and below the image, and the guard columns
  // beside each of its rows (a render is checked at every mouse move of a drag).
  const std::size_t px = std::size_t(PixelBytes());
  const std::size_t side = std::size_t(guard) * px;
  const std::size_t row_end = std::size_t(width + 2 * guard) * px;
  for (A_long y = -guard; y < height + guard; ++y) {
    const std::size_t row = std::size_t(y + guard) * std::size_t(rowbytes);
    if (y < 0 || y >= height) {
      if (!sentinel(row, row + row_end)) return false;
    } else if (!sentinel(row, row + side) || !sentinel(row + row_end - side, row + row_end)) {
      return false;
    }
  }
  return true;
}

PF_EffectWorld Image::World() {
  PF_EffectWorld world{};
  world.world_flags = PF_WorldFlag_WRITEABLE | (depth == 16 ? PF_WorldFlag_DEEP : 0) |
                      (depth == 32 ? PF_WorldFlag_FLOAT : 0);
  world.data = data.data() + Offset(0, 0);
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

Image TestPattern(A_long width, A_long height, int depth, long shift) {
  Image image(width, height, depth);
  shift = (shift % 128 + 128) % 128;
  // A pixel's channels depend on its column (red), its row (green) and the shade of its square
  // only: each is worked out once for the dark and the light shade, so that a picture of the
  // layer at every frame of a scrub costs a look-up a pixel.
  const double shades[2] = {0.75, 1.0};
  std::vector<double> red[2], green[2];
  for (int s = 0; s < 2; ++s) {
    red[s].resize(std::size_t(width));
    green[s].resize(std::size_t(height));
    for (A_long x = 0; x < width; ++x)
      red[s][std::size_t(x)] = shades[s] * (0.15 + 0.8 * x / std::max<A_long>(width - 1, 1));
    for (A_long y = 0; y < height; ++y)
      green[s][std::size_t(y)] = shades[s] * (0.25 + 0.6 * y / std::max<A_long>(height - 1, 1));
  }
  auto put = [depth](uint8_t *p, int i, double v) {
    if (depth == 8) {
      p[i] = uint8_t(v * 255.0 + 0.5);
    } else if (depth == 16) {
      uint16_t c = uint16_t(v * 32768.0 + 0.5);
      std::memcpy(p + 2 * i, &c, 2);
    } else {
      float c = float(v);
      std::memcpy(p + 4 * i, &c, 4);
    }
  };
  const std::size_t bytes = std::size_t(image.PixelBytes());
  for (A_long y = 0; y < height; ++y) {
    uint8_t *row = image.Row(y);
    for (A_long x = 0; x < width; ++x) {
      const int s = (((x + shift) / 64) + (y / 64)) % 2 == 0 ? 0 : 1;
      uint8_t *p = row + std::size_t(x) * bytes;
      put(p, 0, 1.0);
      put(p, 1, red[s][std::size_t(x)]);
      put(p, 2, green[s][std::size_t(y)]);
      put(p, 3, shades[s] * 0.55);
    }
  }
  return image;
}

Image LayerPixels(A_long width, A_long height, int depth, long frame, bool keep_colour) {
  Image image = TestPattern(width, height, depth, frame);
  const std::size_t bytes = std::size_t(image.PixelBytes());
  const std::size_t channel = bytes / 4;
  for (A_long y = 0; y < height && width > 0; ++y) {
    uint8_t *p = image.Row(y) + std::size_t(width - 1) * bytes;
    // Zero is zero at every depth; alpha is the first channel.
    std::memset(p, 0, keep_colour ? channel : bytes);
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
