#include "report/PictureLayout.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/Errors.h"
#include "report/Format.h"

namespace orvane::host {

namespace {

void CheckPicture(double width, double height, const std::string &what, int max_side) {
  if (width > max_side || height > max_side) {
    throw BadInput(what + " would be " + CountText(std::ceil(width)) + " x " +
                   CountText(std::ceil(height)) + " pixels; pictures are at most " +
                   CountText(max_side) + " pixels a side");
  }
}

}  // namespace

PictureSize WindowPicture(const Project &p, const View &v, WindowKind window, int max_side) {
  const double w = WindowWidth(p, window) * v.zoom + v.origin[0],
               h = WindowHeight(p, window) * v.zoom + v.origin[1];
  CheckPicture(w, h,
               std::string("the ") + (window == WindowKind::Comp ? "composition" : "layer") +
                   " window at zoom " + CountText(v.zoom * 100) + "%",
               max_side);
  return {std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h)))};
}

std::size_t SheetCells(const Composition &comp, int every) {
  const double frames = std::max(1.0, std::round(comp.work_duration * comp.fps));
  return std::size_t(std::ceil(frames / std::max(1, every)));
}

SheetLayout LayOutSheet(std::size_t cells, int columns, int cell_width, const Composition &comp,
                        int max_side, std::size_t max_cells) {
  if (cells > max_cells) {
    throw BadInput("the sheet would hold " + CountText(double(cells)) + " frames; the limit is " +
                   CountText(double(max_cells)) + " (raise \"every\")");
  }
  SheetLayout l;
  l.columns = std::max(1, columns);
  l.cell_width = std::max(1, cell_width);
  const double cell_h = std::max(
      1.0, std::round(comp.height * double(l.cell_width) / std::max<A_long>(comp.width, 1)));
  const double rows = std::max(1.0, std::ceil(double(cells) / l.columns));
  const double w = l.columns * double(l.cell_width + SheetLayout::kGap) + SheetLayout::kGap;
  const double h = rows * (cell_h + SheetLayout::kLabel + SheetLayout::kGap) + SheetLayout::kGap;
  CheckPicture(w, h, "the sheet", max_side);
  l.rows = int(rows);
  l.cell_height = int(cell_h);
  l.size = {int(w), int(h)};
  return l;
}

}  // namespace orvane::host
