// What a scenario may ask the host to allocate or loop over, checked before anything is allocated,
// and the sizes of the pictures it asks for (which those checks and the drawing share).
#ifndef ORVANE_HOST_LIMITS_H
#define ORVANE_HOST_LIMITS_H

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "Project.h"
#include "Windows.h"

namespace orvane::host {

// Generous bounds that no real composition reaches; beyond them an input is refused with a
// message naming the bound (exit code 2) instead of exhausting the machine.
struct Limits {
  A_long max_side = 30000;                 // composition and layer width and height, pixels
  double max_buffer_bytes = 4294967296.0;  // one render buffer: width × height × pixel bytes
  int max_picture_side = 16384;            // each side of a png or sheet picture, pixels
  double max_frames = 1000000;             // frames in the composition (duration × fps)
  std::size_t max_sheet_cells = 400;       // frames on one contact sheet
  std::size_t max_steps = 100000;          // steps in one scenario
  std::size_t max_points = 10000;          // points of one drag
  std::size_t max_vertices = 10000;        // vertices of one hand-made mask
  int max_nesting = 64;                    // depth of nested arrays and objects
  std::size_t max_file_bytes = 64u << 20;  // a scenario file
  double max_coordinate = 1e6;             // layer position and anchor, pixels; scale, %
};

// The limits as people read them, one per line (for --help).
std::string DescribeLimits(const Limits &limits = Limits());

using LimitsJson = nlohmann::ordered_json;

// Before the project is set up from the scenario: sizes that would not even fit the project's
// integers, and the number of steps.
void CheckScenarioLimits(const LimitsJson &scenario, const Limits &limits);
// Once it is set up: frame counts, times in ticks, the buffer every render of the layer needs.
void CheckProjectLimits(const Project &project, const View &view, const Limits &limits);
// Before a step runs: its times, points, vertices, render buffer and picture size.
void CheckStepLimits(const LimitsJson &step, const Project &project, const View &view,
                     const Limits &limits);

struct PictureSize {
  int width = 1;
  int height = 1;
};

// A picture of a window as the view shows it (at least one pixel each way; a view that asks for
// more than the limit is refused before anything is drawn).
PictureSize WindowPicture(const Project &project, const View &view, WindowKind window,
                          const Limits &limits = Limits());

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
                        const Limits &limits = Limits());
// How many cells a sheet of every `every`-th frame of the work area has.
std::size_t SheetCells(const Composition &comp, int every);

}  // namespace orvane::host

#endif
