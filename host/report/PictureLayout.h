// The sizes of the pictures the host draws: a window as the view shows it, and a contact sheet of
// frames. A picture beyond the bounds is refused, naming the bound, before anything is drawn.
#pragma once

#include <cstddef>

#include "model/Project.h"
#include "model/View.h"

namespace orvane::host {

// The bounds scenarios are held to unless told otherwise.
constexpr int kMaxPictureSide = 16384;
constexpr std::size_t kMaxSheetCells = 400;

struct PictureSize {
  int width = 1;
  int height = 1;
};

// A picture of a window as the view shows it (at least one pixel each way; a view that asks for
// more than the limit is refused before anything is drawn).
PictureSize WindowPicture(const Project &project, const View &view, WindowKind window,
                          int max_side = kMaxPictureSide);

// A contact sheet: cells of the composition scaled to `cell_width`, each with a label band.
struct SheetLayout {
  static constexpr int kGap = 4;
  static constexpr int kLabel = 18;  // the band under each cell holding its frame and time
  int columns = 1;
  int rows = 1;
  int cell_width = 1;
  int cell_height = 1;
  PictureSize size;
};
SheetLayout LayOutSheet(std::size_t cells, int columns, int cell_width, const Composition &comp,
                        int max_side = kMaxPictureSide, std::size_t max_cells = kMaxSheetCells);
// How many cells a sheet of every `every`-th frame of the work area has.
std::size_t SheetCells(const Composition &comp, int every);

}  // namespace orvane::host
