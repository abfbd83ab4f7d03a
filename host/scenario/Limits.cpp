#include "scenario/Limits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "model/Errors.h"
#include "model/Units.h"
#include "report/Format.h"
#include "report/PictureLayout.h"
#include "scenario/JsonValues.h"

namespace orvane::host {

namespace {

const Json *Find(const Json &obj, const char *key) {
  if (!obj.is_object() || !obj.contains(key)) return nullptr;
  return &obj.at(key);
}

void CheckSide(const Json &section, const char *section_name, const char *key,
               const Limits &limits) {
  const Json *v = Find(section, key);
  if (!v || !v->is_number()) return;  // the setup names a wrong type itself
  const double side = v->get<double>();
  if (side < 1)
    throw BadInput(std::string(section_name) + " " + key + " must be a positive number");
  if (side > limits.max_side) {
    throw BadInput(std::string(section_name) + " " + key + " is " + CountText(side) +
                   " pixels; the limit is " + CountText(limits.max_side) +
                   " (compositions and layers are at most " + CountText(limits.max_side) + " x " +
                   CountText(limits.max_side) + ")");
  }
}

void CheckTicks(double seconds, A_u_long time_scale, const std::string &what) {
  if (std::fabs(seconds) * time_scale > kMaxTicks) {
    throw BadInput(what + " is " + CountText(seconds) + " s, which at a time_scale of " +
                   CountText(time_scale) + " is more than the " + CountText(kMaxTicks) +
                   " ticks a time can hold");
  }
}

double RenderBytes(A_long width, A_long height, int depth) {
  const double pixel = depth == 8 ? 4 : depth == 16 ? 8 : 16;
  return double(width) * double(height) * pixel;
}

void CheckRender(A_long width, A_long height, int depth, const Limits &limits) {
  const double pixel = RenderBytes(1, 1, depth);
  // The output has a guard band of two pixels all round.
  const double bytes =
      2 * RenderBytes(width, height, depth) + (double(width) + 4) * (double(height) + 4) * pixel;
  if (bytes > limits.max_render_bytes) {
    throw BadInput("a render of " + CountText(width) + " x " + CountText(height) + " pixels at " +
                   std::to_string(depth) + " bits holds " + BytesText(bytes) +
                   " at once (the layer twice and the output); the limit is " +
                   BytesText(limits.max_render_bytes) +
                   " (downsample the render, lower its depth or make the layer smaller)");
  }
}

}  // namespace

std::string DescribeLimits(const Limits &l) {
  return "Limits (exit code 2 beyond them):\n"
         "  composition and layer: " +
         CountText(l.max_side) + " x " + CountText(l.max_side) + " pixels, " +
         CountText(l.max_frames) +
         " frames (duration x fps)\n"
         "  a render: " +
         BytesText(l.max_render_bytes) +
         " at once (three buffers of width x height x 4, 8 or 16 bytes at 8, 16 or 32 bits)\n"
         "  a run: " +
         BytesText(l.max_run_bytes) +
         " of pixels rendered (steps x a full-size 8-bit render of the layer)\n"
         "  png and sheet pictures: " +
         CountText(l.max_picture_side) + " pixels a side; a sheet " +
         CountText(double(l.max_sheet_cells)) + " frames and " + CountText(l.max_sheet_work) +
         " layer pixels drawn (frames x layer pixels)\n"
         "  a scenario: " +
         CountText(double(l.max_file_bytes >> 20)) + " MiB, " + CountText(double(l.max_steps)) +
         " steps, nested " + std::to_string(l.max_nesting) +
         " deep\n"
         "  a project file: " +
         CountText(double(l.max_masks)) + " masks, " + CountText(double(l.max_keys)) +
         " keyframes a mask or parameter, " + CountText(double(l.max_project_keys)) +
         " keyframes and " + CountText(double(l.max_project_vertices)) +
         " keyframe vertices in all\n"
         "  a drag: " +
         CountText(double(l.max_points)) + " points; a mask: " + CountText(double(l.max_vertices)) +
         " vertices\n"
         "  times: time x time_scale within 32-bit ticks; layer position, anchor, scale and\n"
         "  rotation within " +
         CountText(l.max_coordinate) + "\n";
}

void CheckScenarioLimits(const Json &scenario, const Limits &limits) {
  const Json empty = Json::object();
  const Json *comp = Find(scenario, "comp");
  const Json *layer = Find(scenario, "layer");
  for (const char *key : {"width", "height"}) {
    CheckSide(comp ? *comp : empty, "comp", key, limits);
    CheckSide(layer ? *layer : empty, "layer", key, limits);
  }
  // The time scale (which defaults to the frame rate) is a whole number of ticks a second.
  for (const char *key : {"fps", "time_scale"}) {
    const Json *v = Find(comp ? *comp : empty, key);
    if (v && v->is_number() && !(v->get<double>() > 0 && v->get<double>() <= 1e9))
      throw BadInput(std::string("comp ") + key +
                     " must be a positive number, at most 1,000,000,000");
  }
  if (const Json *steps = Find(scenario, "steps");
      steps && steps->is_array() && steps->size() > limits.max_steps) {
    throw BadInput("the scenario has " + CountText(double(steps->size())) +
                   " steps; the limit is " + CountText(double(limits.max_steps)));
  }
}

void CheckProjectLimits(const Project &p, const View &, const Limits &limits) {
  const Composition &c = p.comp;
  for (double duration : {c.duration, c.work_duration}) {
    const double frames = duration * c.fps;
    if (frames > limits.max_frames) {
      throw BadInput("the composition has " + CountText(frames) +
                     " frames (duration x fps); the limit is " + CountText(limits.max_frames));
    }
  }
  CheckTicks(c.duration, c.time_scale, "comp duration");
  CheckTicks(std::fabs(c.work_start) + std::fabs(c.work_duration), c.time_scale,
             "the end of the work area");
  CheckTicks(p.layer.start, c.time_scale, "layer start");
  CheckTicks(p.LayerTime(c.duration), c.time_scale, "the composition's end in layer time");
  CheckTicks(p.LayerTime(0), c.time_scale, "the composition's start in layer time");
  const Transform &t = p.layer.transform;
  for (double v : {t.position[0], t.position[1], t.anchor[0], t.anchor[1], t.scale[0], t.scale[1],
                   t.rotation}) {
    if (!std::isfinite(v) || std::fabs(v) > limits.max_coordinate) {
      throw BadInput("layer position, anchor, scale and rotation are at most " +
                     CountText(limits.max_coordinate) + " in size");
    }
  }
  // Every parameter change renders the layer at full size and 8 bits.
  CheckRender(p.layer.width, p.layer.height, 8, limits);
}

void CheckRunLimits(const Project &p, std::size_t steps, const Limits &limits) {
  const double bytes = double(steps) * RenderBytes(p.layer.width, p.layer.height, 8);
  if (bytes > limits.max_run_bytes) {
    throw BadInput("the run would render about " + BytesText(bytes) + " of pixels (" +
                   CountText(double(steps)) + " steps, each followed by a render of " +
                   CountText(p.layer.width) + " x " + CountText(p.layer.height) +
                   " pixels); the limit is " + BytesText(limits.max_run_bytes));
  }
}

void CheckSheetLimits(const Project &p, std::size_t cells, const SheetLayout &layout,
                      const Limits &limits) {
  const double layer = double(p.layer.width) * double(p.layer.height);
  const double work = double(cells) * layer;
  if (work > limits.max_sheet_work) {
    throw BadInput("the sheet would draw " + CountText(work) + " layer pixels (" +
                   CountText(double(cells)) + " frames of " + CountText(layer) +
                   "); the limit is " + CountText(limits.max_sheet_work) +
                   " (draw every more frames)");
  }
  // The sheet, the layer's picture and the pattern it is made from, 4 bytes a pixel each.
  const double bytes = 4 * (double(layout.size.width) * double(layout.size.height) + 2 * layer);
  if (bytes > limits.max_render_bytes) {
    throw BadInput("the sheet would hold " + BytesText(bytes) + " at once; the limit is " +
                   BytesText(limits.max_render_bytes));
  }
}

void CheckStepLimits(const Json &step, const Project &p, const View &view, const Limits &limits) {
  if (!step.is_object()) return;
  if (const Json *time = Find(step, "time"); time && time->is_number()) {
    const double t = time->get<double>();
    CheckTicks(t, p.comp.time_scale, "\"time\"");
    // The module is handed layer time, which the layer's stretch scales.
    CheckTicks(p.LayerTime(t), p.comp.time_scale, "\"time\" in layer time");
  }
  if (const Json *points = Find(step, "points");
      points && points->is_array() && points->size() > limits.max_points) {
    throw BadInput("a drag has " + CountText(double(points->size())) + " points; the limit is " +
                   CountText(double(limits.max_points)));
  }
  if (const Json *vertices = Find(step, "vertices");
      vertices && vertices->is_array() && vertices->size() > limits.max_vertices) {
    throw BadInput("a mask has " + CountText(double(vertices->size())) +
                   " vertices; the limit is " + CountText(double(limits.max_vertices)));
  }
  const Json *what = Find(step, "do");
  if (!what || !what->is_string()) return;
  if (*what == "render") {
    // The layer at the size and depth the render asks for; a malformed request is named here.
    const RenderRequest r = RenderRequestFromJson(step);
    CheckRender(Scaled(p.layer.width, r.downsample_x), Scaled(p.layer.height, r.downsample_y),
                r.depth, limits);
  } else if (*what == "png") {
    const Json *w = Find(step, "window");
    WindowPicture(p, view, w && *w == "layer" ? WindowKind::Layer : WindowKind::Comp,
                  limits.max_picture_side);
  }
}

}  // namespace orvane::host
