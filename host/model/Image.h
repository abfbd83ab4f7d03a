// Pixel buffers at 8, 16 and 32 bits per channel (ARGB), and the test image on the layer.
#pragma once

#include <cstdint>
#include <vector>

#include "AE_Effect.h"

namespace orvane::host {

struct Image {
  A_long width = 0;
  A_long height = 0;
  int depth = 8;  // bits per channel: 8, 16 or 32 (float)
  A_long rowbytes = 0;
  std::vector<uint8_t> data;

  A_long guard = 0;  // pixels of margin kept around the image, never handed to the module

  Image() = default;
  Image(A_long w, A_long h, int bits, A_long guard_pixels = 0);
  int PixelBytes() const { return depth == 8 ? 4 : depth == 16 ? 8 : 16; }
  std::size_t Offset(A_long x, A_long y) const {
    return std::size_t(y + guard) * std::size_t(rowbytes) +
           std::size_t(x + guard) * std::size_t(PixelBytes());
  }
  // Row y of the image proper (the guard band lies around it).
  uint8_t *Row(A_long y) { return data.data() + Offset(0, y); }
  const uint8_t *Row(A_long y) const { return data.data() + Offset(0, y); }
  // Fills every byte, guard band included, with a value no real image holds: 0xA5 bytes for 8
  // and 16 bits, a NaN with a tag in its payload for 32 bits.
  void FillSentinel();
  // Whether the guard band still holds the sentinel.
  bool GuardIntact() const;
  // A view of this buffer as the record the module receives.
  PF_EffectWorld World();
  // The pixel as 8-bit ARGB, whatever the depth.
  PF_Pixel At8(A_long x, A_long y) const;
};

// A test pattern that shows where a layer is and which way up it is: a colour gradient with a
// checker of darker squares, fully opaque. `shift` moves the squares that many pixels left.
Image TestPattern(A_long width, A_long height, int depth, long shift = 0);
// The layer's pixels at a frame of layer time, as renders are handed them: the test pattern with
// its squares one pixel further left each frame (so that a render handed the wrong time shows
// it; they repeat every 128 frames), and its last column transparent. A transparent pixel keeps
// its colour only when the render asked for it, as the application promises no more.
Image LayerPixels(A_long width, A_long height, int depth, long frame, bool keep_colour);

bool SamePixels(const Image &a, const Image &b);

}  // namespace orvane::host
