#include "Limits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "Errors.h"

namespace orvane::host {

namespace {

// Ticks travel to the module as 32-bit values; a time that does not fit would wrap.
constexpr double kMaxTicks = 2147483647.0;

std::string Count(double n) {
  char text[48];
  if (std::fabs(n) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", n);
    std::string s = text;
    // Thousands separated, as people write large counts.
    for (int i = int(s.size()) - 3; i > (s[0] == '-' ? 1 : 0); i -= 3)
      s.insert(std::size_t(i), ",");
    return s;
  }
  std::snprintf(text, sizeof text, "%.3g", n);
  return text;
}

std::string Bytes(double n) {
  char text[48];
  if (n >= 1073741824.0)
    std::snprintf(text, sizeof text, "%.1f GiB", n / 1073741824.0);
  else
    std::snprintf(text, sizeof text, "%.1f MiB", n / 1048576.0);
  return text;
}

const LimitsJson *Find(const LimitsJson &obj, const char *key) {
  if (!obj.is_object() || !obj.contains(key)) return nullptr;
  return &obj.at(key);
}

void CheckSide(const LimitsJson &section, const char *section_name, const char *key,
               const Limits &limits) {
  const LimitsJson *v = Find(section, key);
  if (!v || !v->is_number()) return;  // the setup names a wrong type itself
  const double side = v->get<double>();
  if (side < 1)
    throw BadInput(std::string(section_name) + " " + key + " must be a positive number");
  if (side > limits.max_side) {
    throw BadInput(std::string(section_name) + " " + key + " is " + Count(side) +
                   " pixels; the limit is " + Count(limits.max_side) +
                   " (compositions and layers are at most " + Count(limits.max_side) + " x " +
                   Count(limits.max_side) + ")");
  }
}

void CheckTicks(double seconds, A_u_long time_scale, const std::string &what) {
  if (std::fabs(seconds) * time_scale > kMaxTicks) {
    throw BadInput(what + " is " + Count(seconds) + " s, which at a time_scale of " +
                   Count(time_scale) + " is more than the " + Count(kMaxTicks) +
                   " ticks a time can hold");
  }
}

double RenderBytes(A_long width, A_long height, int depth) {
  const double pixel = depth == 8 ? 4 : depth == 16 ? 8 : 16;
  return double(width) * double(height) * pixel;
}

void CheckRender(A_long width, A_long height, int depth, const Limits &limits) {
  const double bytes = RenderBytes(width, height, depth);
  if (bytes > limits.max_buffer_bytes) {
    throw BadInput("a render of " + Count(width) + " x " + Count(height) + " pixels at " +
                   std::to_string(depth) + " bits needs " + Bytes(bytes) +
                   " per buffer; the limit is " + Bytes(limits.max_buffer_bytes) +
                   " (downsample the render or lower its depth)");
  }
}

void CheckPicture(double width, double height, const std::string &what, const Limits &limits) {
  if (width > limits.max_picture_side || height > limits.max_picture_side) {
    throw BadInput(what + " would be " + Count(std::ceil(width)) + " x " +
                   Count(std::ceil(height)) + " pixels; pictures are at most " +
                   Count(limits.max_picture_side) + " pixels a side");
  }
}

}  // namespace

std::string DescribeLimits(const Limits &l) {
  return "Limits (exit code 2 beyond them):\n"
         "  composition and layer: " +
         Count(l.max_side) + " x " + Count(l.max_side) + " pixels, " + Count(l.max_frames) +
         " frames (duration x fps)\n"
         "  a render buffer: " +
         Bytes(l.max_buffer_bytes) +
         " (width x height x 4, 8 or 16 bytes at 8, 16 or 32 bits)\n"
         "  png and sheet pictures: " +
         Count(l.max_picture_side) + " pixels a side; a sheet " + Count(double(l.max_sheet_cells)) +
         " frames\n"
         "  a scenario: " +
         Count(double(l.max_file_bytes >> 20)) + " MiB, " + Count(double(l.max_steps)) +
         " steps, nested " + std::to_string(l.max_nesting) +
         " deep\n"
         "  a drag: " +
         Count(double(l.max_points)) + " points; a mask: " + Count(double(l.max_vertices)) +
         " vertices\n"
         "  times: time x time_scale within 32-bit ticks; layer position, anchor, scale and\n"
         "  rotation within " +
         Count(l.max_coordinate) + "\n";
}

void CheckScenarioLimits(const LimitsJson &scenario, const Limits &limits) {
  const LimitsJson empty = LimitsJson::object();
  const LimitsJson *comp = Find(scenario, "comp");
  const LimitsJson *layer = Find(scenario, "layer");
  for (const char *key : {"width", "height"}) {
    CheckSide(comp ? *comp : empty, "comp", key, limits);
    CheckSide(layer ? *layer : empty, "layer", key, limits);
  }
  // The time scale (which defaults to the frame rate) is a whole number of ticks a second.
  for (const char *key : {"fps", "time_scale"}) {
    const LimitsJson *v = Find(comp ? *comp : empty, key);
    if (v && v->is_number() && !(v->get<double>() > 0 && v->get<double>() <= 1e9))
      throw BadInput(std::string("comp ") + key +
                     " must be a positive number, at most 1,000,000,000");
  }
  if (const LimitsJson *steps = Find(scenario, "steps");
      steps && steps->is_array() && steps->size() > limits.max_steps) {
    throw BadInput("the scenario has " + Count(double(steps->size())) + " steps; the limit is " +
                   Count(double(limits.max_steps)));
  }
}

void CheckProjectLimits(const Project &p, const View &, const Limits &limits) {
  const Composition &c = p.comp;
  for (double duration : {c.duration, c.work_duration}) {
    const double frames = duration * c.fps;
    if (frames > limits.max_frames) {
      throw BadInput("the composition has " + Count(frames) +
                     " frames (duration x fps); the limit is " + Count(limits.max_frames));
    }
  }
  CheckTicks(c.duration, c.time_scale, "comp duration");
  CheckTicks(std::fabs(c.work_start) + std::fabs(c.work_duration), c.time_scale,
             "the end of the work area");
  CheckTicks(p.layer.start, c.time_scale, "layer start");
  const Transform &t = p.layer.transform;
  for (double v : {t.position[0], t.position[1], t.anchor[0], t.anchor[1], t.scale[0], t.scale[1],
                   t.rotation}) {
    if (!std::isfinite(v) || std::fabs(v) > limits.max_coordinate) {
      throw BadInput("layer position, anchor, scale and rotation are at most " +
                     Count(limits.max_coordinate) + " in size");
    }
  }
  // Every parameter change renders the layer at full size and 8 bits.
  CheckRender(p.layer.width, p.layer.height, 8, limits);
}

void CheckStepLimits(const LimitsJson &step, const Project &p, const View &view,
                     const Limits &limits) {
  if (!step.is_object()) return;
  if (const LimitsJson *time = Find(step, "time"); time && time->is_number()) {
    const double t = time->get<double>();
    CheckTicks(t, p.comp.time_scale, "\"time\"");
    CheckTicks(t - p.layer.start, p.comp.time_scale, "\"time\" in layer time");
  }
  if (const LimitsJson *points = Find(step, "points");
      points && points->is_array() && points->size() > limits.max_points) {
    throw BadInput("a drag has " + Count(double(points->size())) + " points; the limit is " +
                   Count(double(limits.max_points)));
  }
  if (const LimitsJson *vertices = Find(step, "vertices");
      vertices && vertices->is_array() && vertices->size() > limits.max_vertices) {
    throw BadInput("a mask has " + Count(double(vertices->size())) + " vertices; the limit is " +
                   Count(double(limits.max_vertices)));
  }
  const LimitsJson *what = Find(step, "do");
  if (!what || !what->is_string()) return;
  if (*what == "render") {
    // A malformed depth or downsample is left to the step itself to name.
    int depth = 8;
    if (const LimitsJson *d = Find(step, "depth"); d && d->is_number()) {
      const double v = d->get<double>();
      if (v != 8 && v != 16 && v != 32) return;
      depth = int(v);
    }
    A_long divisor[2] = {1, 1};
    if (const LimitsJson *d = Find(step, "downsample")) {
      if (!d->is_array() || d->size() != 2) return;
      for (std::size_t i = 0; i < 2; ++i) {
        if (!(*d)[i].is_number_integer() || (*d)[i].get<double>() < 1 || (*d)[i].get<double>() > 64)
          return;
        divisor[i] = A_long((*d)[i].get<double>());
      }
    }
    CheckRender((p.layer.width + divisor[0] - 1) / divisor[0],
                (p.layer.height + divisor[1] - 1) / divisor[1], depth, limits);
  } else if (*what == "png") {
    const LimitsJson *w = Find(step, "window");
    WindowPicture(p, view, w && *w == "layer" ? WindowKind::Layer : WindowKind::Comp, limits);
  }
}

PictureSize WindowPicture(const Project &p, const View &v, WindowKind window,
                          const Limits &limits) {
  const double base_w = window == WindowKind::Comp ? p.comp.width : p.layer.width;
  const double base_h = window == WindowKind::Comp ? p.comp.height : p.layer.height;
  const double w = base_w * v.zoom + v.origin[0], h = base_h * v.zoom + v.origin[1];
  CheckPicture(w, h,
               std::string("the ") + (window == WindowKind::Comp ? "composition" : "layer") +
                   " window at zoom " + Count(v.zoom * 100) + "%",
               limits);
  return {std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h)))};
}

std::size_t SheetCells(const Composition &comp, int every) {
  const double frames = std::max(1.0, std::round(comp.work_duration * comp.fps));
  return std::size_t(std::ceil(frames / std::max(1, every)));
}

SheetLayout LayOutSheet(std::size_t cells, int columns, int cell_width, const Composition &comp,
                        const Limits &limits) {
  if (cells > limits.max_sheet_cells) {
    throw BadInput("the sheet would hold " + Count(double(cells)) + " frames; the limit is " +
                   Count(double(limits.max_sheet_cells)) + " (raise \"every\")");
  }
  SheetLayout l;
  l.columns = std::max(1, columns);
  l.cell_width = std::max(1, cell_width);
  const double cell_h = std::max(
      1.0, std::round(comp.height * double(l.cell_width) / std::max<A_long>(comp.width, 1)));
  const double rows = std::max(1.0, std::ceil(double(cells) / l.columns));
  const double w = l.columns * double(l.cell_width + SheetLayout::kGap) + SheetLayout::kGap;
  const double h = rows * (cell_h + SheetLayout::kLabel + SheetLayout::kGap) + SheetLayout::kGap;
  CheckPicture(w, h, "the sheet", limits);
  l.rows = int(rows);
  l.cell_height = int(cell_h);
  l.size = {int(w), int(h)};
  return l;
}

}  // namespace orvane::host
