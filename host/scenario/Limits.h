// What a scenario may ask the host to allocate or loop over, checked before anything is allocated.
#pragma once

#include <cstddef>
#include <string>

#include "model/Project.h"
#include "model/View.h"
#include "report/Json.h"
#include "report/PictureLayout.h"

namespace orvane::host {

// Ticks travel to the module as 32-bit values; a time that does not fit would wrap.
constexpr double kMaxTicks = 2147483647.0;

// Generous bounds that no real composition reaches; beyond them an input is refused with a
// message naming the bound (exit code 2) instead of exhausting the machine.
struct Limits {
  A_long max_side = 30000;  // composition and layer width and height, pixels
  // Everything one render holds at once: the layer kept for the next render, the layer handed
  // over and the output with its guard band (three buffers of width × height × pixel bytes).
  double max_render_bytes = 8589934592.0;
  int max_picture_side = kMaxPictureSide;        // each side of a png or sheet picture, pixels
  double max_frames = 1000000;                   // frames in the composition (duration × fps)
  std::size_t max_sheet_cells = kMaxSheetCells;  // frames on one contact sheet
  std::size_t max_steps = 100000;                // steps in one scenario
  std::size_t max_points = 10000;                // points of one drag
  std::size_t max_vertices = 10000;              // vertices of one hand-made mask
  int max_nesting = 64;                          // depth of nested arrays and objects
  std::size_t max_file_bytes = 64u << 20;        // a scenario file
  double max_coordinate = 1e6;                   // layer position and anchor, pixels; scale, %
  // Layer pixels one contact sheet draws (cells × layer width × height): each cell draws the
  // whole layer scaled down.
  double max_sheet_work = 4e10;
  // Bytes of pixels the renders of a run pass over, counting one full-size 8-bit render for
  // each step (every change is followed by one).
  double max_run_bytes = 1e12;
  // What a saved project may hold: a mask per step of the longest scenario, a key per frame of
  // the longest composition for each mask or parameter, and in all the keys of 60 such streams.
  std::size_t max_masks = 100000;
  std::size_t max_keys = 1000000;
  std::size_t max_project_keys = 60000000;
  std::size_t max_project_vertices = 250000000;
};

// The limits as people read them, one per line (for --help).
std::string DescribeLimits(const Limits &limits = Limits());

// Before the project is set up from the scenario: sizes that would not even fit the project's
// integers, and the number of steps.
void CheckScenarioLimits(const Json &scenario, const Limits &limits);
// Once it is set up: frame counts, times in ticks, the buffer every render of the layer needs.
void CheckProjectLimits(const Project &project, const View &view, const Limits &limits);
// Once it is set up, the run as a whole: the renders its steps are followed by.
void CheckRunLimits(const Project &project, std::size_t steps, const Limits &limits);
// A contact sheet's memory (the sheet, the layer and its picture at once) and work.
void CheckSheetLimits(const Project &project, std::size_t cells, const SheetLayout &layout,
                      const Limits &limits);
// Before a step runs: its times, points, vertices, render buffer and picture size.
void CheckStepLimits(const Json &step, const Project &project, const View &view,
                     const Limits &limits);

}  // namespace orvane::host
