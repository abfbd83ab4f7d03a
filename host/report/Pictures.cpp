#include "report/Pictures.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "model/Errors.h"
#include "report/OutputFile.h"

namespace orvane::host {

namespace {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

SurfacePtr MakeSurface(cairo_format_t format, int w, int h) {
  SurfacePtr surface(cairo_image_surface_create(format, w, h), cairo_surface_destroy);
  // A failed surface has no pixels to write; the sizes are checked beforehand, so only memory
  // can be missing.
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) throw std::bad_alloc();
  return surface;
}

// The layer's test image at a frame of layer time as a Cairo surface, the pattern a render is
// handed at that frame (its alpha is opaque, so no premultiplying). It depends only on the
// layer's size and the frame (the pattern repeats every 128 frames), so it is made once for each:
// a session in the browser asks for a picture at every mouse move.
cairo_surface_t *LayerSurface(const Layer &layer, long frame) {
  static thread_local SurfacePtr surface(nullptr, cairo_surface_destroy);
  static thread_local long made_shift = 0;
  const long shift = (frame % 128 + 128) % 128;
  if (surface && cairo_image_surface_get_width(surface.get()) == layer.width &&
      cairo_image_surface_get_height(surface.get()) == layer.height && made_shift == shift)
    return surface.get();
  surface.reset();
  made_shift = shift;
  const Image pattern = TestPattern(layer.width, layer.height, 8, shift);
  SurfacePtr made = MakeSurface(CAIRO_FORMAT_ARGB32, layer.width, layer.height);
  cairo_surface_flush(made.get());
  unsigned char *data = cairo_image_surface_get_data(made.get());
  const int stride = cairo_image_surface_get_stride(made.get());
  for (A_long y = 0; y < layer.height; ++y) {
    auto *row = reinterpret_cast<uint32_t *>(data + std::size_t(y) * std::size_t(stride));
    // 8-bit pixels are alpha, red, green and blue bytes.
    const uint8_t *p = pattern.Row(y);
    for (A_long x = 0; x < layer.width; ++x, p += 4)
      row[x] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  cairo_surface_mark_dirty(made.get());
  surface = std::move(made);
  return surface.get();
}

// Maps layer pixels to the window: the view, and in a composition window the layer transform.
void LayerToWindowMatrix(cairo_t *cr, const WindowMapping &m, double scale) {
  const View &v = m.view;
  cairo_identity_matrix(cr);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, v.origin[0], v.origin[1]);
  cairo_scale(cr, v.zoom, v.zoom);
  if (m.through_layer) {
    const Transform &t = m.layer;
    cairo_translate(cr, t.position[0], t.position[1]);
    cairo_rotate(cr, t.rotation * 3.14159265358979323846 / 180.0);
    cairo_scale(cr, t.scale[0] / 100.0, t.scale[1] / 100.0);
    cairo_translate(cr, -t.anchor[0], -t.anchor[1]);
  }
}

void OutlinePath(cairo_t *cr, const Outline &o) {
  const auto &v = o.vertices;
  if (v.empty()) return;
  cairo_move_to(cr, v[0].x, v[0].y);
  const std::size_t segments = std::size_t(o.Segments());
  for (std::size_t j = 0; j < segments; ++j) {
    const AEGP_MaskVertex &a = v[j], &b = v[(j + 1) % v.size()];
    cairo_curve_to(cr, a.x + a.tan_out_x, a.y + a.tan_out_y, b.x + b.tan_in_x, b.y + b.tan_in_y,
                   b.x, b.y);
  }
  cairo_close_path(cr);
}

// The layer as the application composites it through its masks: closed masks add up; a layer
// without closed masks shows whole. Outside the masks the layer is dimmed, not hidden, so the
// picture still shows where the layer is.
void PaintMaskedLayer(cairo_t *cr, Session &s, WindowKind window, double time, double scale, int w,
                      int h) {
  const Project &p = s.project();
  const WindowMapping mapping = MappingOf(p, s.view(), window, time);
  const double t = p.LayerTime(time);
  cairo_surface_t *layer = LayerSurface(p.layer, p.LayerFrame(time));
  bool any_closed = false;
  SurfacePtr mask = MakeSurface(CAIRO_FORMAT_A8, w, h);
  {
    ContextPtr m(cairo_create(mask.get()), cairo_destroy);
    LayerToWindowMatrix(m.get(), mapping, scale);
    cairo_set_operator(m.get(), CAIRO_OPERATOR_ADD);
    for (const Mask &mask_data : p.layer.masks) {
      const Outline o = mask_data.At(t, false);
      if (o.open || o.vertices.size() < 2) continue;
      any_closed = true;
      OutlinePath(m.get(), o);
      cairo_fill(m.get());
    }
  }
  LayerToWindowMatrix(cr, mapping, scale);
  cairo_set_source_surface(cr, layer, 0, 0);
  cairo_identity_matrix(cr);
  if (!any_closed) {
    cairo_paint(cr);
    return;
  }
  cairo_paint_with_alpha(cr, 0.25);
  cairo_mask_surface(cr, mask.get(), 0, 0);
}

void Background(cairo_t *cr, int w, int h) {
  cairo_identity_matrix(cr);
  cairo_set_source_rgb(cr, 0.13, 0.13, 0.14);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_fill(cr);
}

void PaintDrawing(cairo_t *cr, const std::vector<DrawOp> &ops) {
  cairo_identity_matrix(cr);
  for (const DrawOp &op : ops) {
    cairo_set_source_rgba(cr, op.color.red, op.color.green, op.color.blue, op.color.alpha);
    if (op.kind == DrawOp::Kind::Rect) {
      cairo_rectangle(cr, op.rect.left, op.rect.top, op.rect.width, op.rect.height);
      cairo_fill(cr);
      continue;
    }
    if (op.path.empty()) continue;
    cairo_move_to(cr, op.path[0].x, op.path[0].y);
    for (std::size_t i = 1; i + 2 < op.path.size(); i += 3) {
      cairo_curve_to(cr, op.path[i].x, op.path[i].y, op.path[i + 1].x, op.path[i + 1].y,
                     op.path[i + 2].x, op.path[i + 2].y);
    }
    cairo_set_line_width(cr, op.size);
    cairo_stroke(cr);
  }
}

// Cairo's font cache and fontconfig hold what the first text needed until the process ends;
// handing it back then keeps leak checkers to the leaks that matter.
void ReleaseFontsAtExit() {
  static const bool registered = [] {
    std::atexit([] {
      cairo_debug_reset_static_data();
      FcFini();
    });
    return true;
  }();
  (void)registered;
}

// Text in the picture's own light grey on its background, with Cairo's built-in font selection.
void Text(cairo_t *cr, double x, double baseline, double size, const std::string &text) {
  ReleaseFontsAtExit();
  cairo_identity_matrix(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_set_source_rgb(cr, 0.86, 0.86, 0.88);
  cairo_move_to(cr, x, baseline);
  cairo_show_text(cr, text.c_str());
}

// "f 30 · 1.00 s": the frame number in the composition and the time in seconds.
std::string FrameAndTime(double time, double fps) {
  char text[64];
  std::snprintf(text, sizeof text, "f %.0f \u00b7 %.2f s", std::round(time * fps), time);
  return text;
}

cairo_status_t WriteTo(void *closure, const unsigned char *data, unsigned int length) {
  std::ostream &out = static_cast<OutputFile *>(closure)->stream();
  out.write(reinterpret_cast<const char *>(data), std::streamsize(length));
  return out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void Save(cairo_surface_t *surface, const std::string &path) {
  OutputFile file(path);
  if (cairo_surface_write_to_png_stream(surface, WriteTo, &file) != CAIRO_STATUS_SUCCESS) {
    throw BadInput("cannot write " + path);
  }
  file.Commit();
}

}  // namespace

namespace {

SurfacePtr PaintWindow(Session &session, WindowKind window, double time, bool caption) {
  const Project &p = session.project();
  const View &v = session.view();
  const PictureSize size = WindowPicture(p, v, window);
  const int w = size.width, h = size.height;
  const int band = caption ? 22 : 0;
  SurfacePtr surface = MakeSurface(CAIRO_FORMAT_ARGB32, w, h + band);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  Background(cr.get(), w, h + band);
  if (caption) {
    // The window's picture stays as it is without a caption; the band only adds below it.
    cairo_rectangle(cr.get(), 0, 0, w, h);
    cairo_clip(cr.get());
  }
  PaintMaskedLayer(cr.get(), session, window, time, 1.0, w, h);
  PaintDrawing(cr.get(), session.drawing());
  if (caption) {
    cairo_reset_clip(cr.get());
    char zoom[32];
    std::snprintf(zoom, sizeof zoom, "zoom %g%%", v.zoom * 100);
    Text(cr.get(), 6, h + 15, 12,
         std::string(window == WindowKind::Comp ? "Composition" : "Layer") + " window \u00b7 " +
             FrameAndTime(time, p.comp.fps) + " \u00b7 " + zoom);
  }
  return surface;
}

}  // namespace

void WriteWindowPng(Session &session, WindowKind window, double time, const std::string &path,
                    bool caption) {
  Save(PaintWindow(session, window, time, caption).get(), path);
}

namespace {

// The PNG the page asks for at every mouse move: libpng's fastest compression (zlib level 1,
// the "sub" filter, no alpha), where Cairo's own writer compresses hard and took three quarters
// of a picture's time doing so. Stored without compression it is 15 times larger and slower to
// send and decode. Files on disk keep Cairo's writer.
struct PngBytes {
  std::string bytes;
  bool out_of_memory = false;
};

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  auto *out = static_cast<PngBytes *>(png_get_io_ptr(png));
  try {
    out->bytes.append(reinterpret_cast<const char *>(data), length);
  } catch (const std::bad_alloc &) {
    out->out_of_memory = true;
  }
  if (out->out_of_memory) png_error(png, "out of memory");
}

// libpng reports failure by a long jump back here, so nothing below owns memory of its own.
bool EncodeRgb(png_structp png, png_infop info, cairo_surface_t *surface, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char *data = cairo_image_surface_get_data(surface);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    // The window's picture is opaque (its background is painted first): no un-premultiplying.
    const auto *pixels = reinterpret_cast<const uint32_t *>(data + std::size_t(y) * stride);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = png_byte(pixels[x] >> 16);
      row[3 * x + 1] = png_byte(pixels[x] >> 8);
      row[3 * x + 2] = png_byte(pixels[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

namespace {

std::string FastPng(cairo_surface_t *surface) {
  cairo_surface_flush(surface);
  std::vector<png_byte> row(std::size_t(cairo_image_surface_get_width(surface)) * 3);
  PngBytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info) {
    png_set_write_fn(png, &out, AppendPng, nullptr);
    written = EncodeRgb(png, info, surface, row.data());
  }
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!written) throw std::bad_alloc();
  return std::move(out.bytes);
}

}  // namespace

std::string WindowPng(Session &session, WindowKind window, double time) {
  return FastPng(PaintWindow(session, window, time, false).get());
}

std::string WindowLayerPng(Session &session, WindowKind window, double time) {
  const Project &p = session.project();
  const PictureSize size = WindowPicture(p, session.view(), window);
  SurfacePtr surface = MakeSurface(CAIRO_FORMAT_ARGB32, size.width, size.height);
  ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
  Background(cr.get(), size.width, size.height);
  LayerToWindowMatrix(cr.get(), MappingOf(p, session.view(), window, time), 1.0);
  cairo_set_source_surface(cr.get(), LayerSurface(p.layer, p.LayerFrame(time)), 0, 0);
  cairo_paint(cr.get());
  return FastPng(surface.get());
}

void WriteContactSheet(Session &session, const std::vector<double> &times,
                       const SheetLayout &layout, const std::string &path) {
  const Project &p = session.project();
  const int columns = layout.columns, cell_width = layout.cell_width, cell_h = layout.cell_height;
  const double scale = double(cell_width) / std::max<A_long>(p.comp.width, 1);
  const int gap = SheetLayout::kGap, label = SheetLayout::kLabel;
  const int w = layout.size.width, h = layout.size.height;
  SurfacePtr sheet = MakeSurface(CAIRO_FORMAT_ARGB32, w, h);
  ContextPtr cr(cairo_create(sheet.get()), cairo_destroy);
  Background(cr.get(), w, h);
  for (std::size_t i = 0; i < times.size(); ++i) {
    SurfacePtr cell = MakeSurface(CAIRO_FORMAT_ARGB32, cell_width, cell_h);
    {
      ContextPtr c(cairo_create(cell.get()), cairo_destroy);
      cairo_set_source_rgb(c.get(), 0.2, 0.2, 0.22);
      cairo_paint(c.get());
      // The sheet shows the composition as it is, without the window's own zoom and scroll.
      View saved = session.view();
      session.view() = View();
      PaintMaskedLayer(c.get(), session, WindowKind::Comp, times[i], scale, cell_width, cell_h);
      session.view() = saved;
    }
    const int x = gap + int(i % std::size_t(columns)) * (cell_width + gap);
    const int y = gap + int(i / std::size_t(columns)) * (cell_h + label + gap);
    cairo_identity_matrix(cr.get());
    cairo_set_source_surface(cr.get(), cell.get(), x, y);
    cairo_paint(cr.get());
    Text(cr.get(), x + 2, y + cell_h + label - 5, 12, FrameAndTime(times[i], p.comp.fps));
  }
  Save(sheet.get(), path);
}

}  // namespace orvane::host
