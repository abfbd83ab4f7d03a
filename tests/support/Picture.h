// A PNG read back through Cairo, for tests that look at what a picture shows.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace orvane::test {

struct Picture {
  cairo_surface_t *surface;
  explicit Picture(const std::string &path)
      : surface(cairo_image_surface_create_from_png(path.c_str())) {}
  // The picture in the bytes of a PNG file rather than in a file.
  static Picture FromBytes(const std::string &png) { return Picture(png, 0); }
  Picture(const Picture &) = delete;
  Picture &operator=(const Picture &) = delete;
  Picture(Picture &&other) noexcept : surface(other.surface) { other.surface = nullptr; }
  ~Picture() {
    if (surface) cairo_surface_destroy(surface);
  }
  bool ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface); }
  int height() const { return cairo_image_surface_get_height(surface); }
  uint32_t At(int x, int y) const {
    const unsigned char *row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t *>(row)[x];
  }
  // The pixels of rows [top, bottom) and columns [left, right), for comparing regions.
  std::string Region(int left, int top, int right, int bottom) const {
    std::string out;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) out += std::to_string(At(x, y)) + ",";
    }
    return out;
  }
  int Bright(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) n += ((At(x, y) >> 8) & 0xFF) > 150;
    }
    return n;
  }

 private:
  struct Reading {
    const std::string &bytes;
    std::size_t at;
  };
  Picture(const std::string &png, int) {
    Reading reading{png, 0};
    surface = cairo_image_surface_create_from_png_stream(
        [](void *closure, unsigned char *data, unsigned int length) {
          auto &r = *static_cast<Reading *>(closure);
          if (r.at + length > r.bytes.size()) return CAIRO_STATUS_READ_ERROR;
          std::memcpy(data, r.bytes.data() + r.at, length);
          r.at += length;
          return CAIRO_STATUS_SUCCESS;
        },
        &reading);
  }
};

}  // namespace orvane::test
