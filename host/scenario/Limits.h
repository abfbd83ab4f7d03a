// What a scenario may ask the host to allocate or loop over, checked before anything is allocated.
#pragma once

#include <cstddef>
#include <string>

#include "model/Project.h"
#include "model/View.h"
#include "report/Json.h"
#include "report/PictureLayout.h"

namespace orvane::host {

// Generous bounds that no real composition reaches; beyond them an input is refused with a
// message naming the bound (exit code 2) instead of exhausting the machine.
struct Limits {
  A_long max_side = 30000;                 // composition and layer width and height, pixels
  double max_buffer_bytes = 4294967296.0;  // one render buffer: width × height × pixel bytes
  int max_picture_side = kMaxPictureSide;  // each side of a png or sheet picture, pixels
  double max_frames = 1000000;             // frames in the composition (duration × fps)
  std::size_t max_sheet_cells = kMaxSheetCells;  // frames on one contact sheet
  std::size_t max_steps = 100000;                // steps in one scenario
  std::size_t max_points = 10000;                // points of one drag
  std::size_t max_vertices = 10000;              // vertices of one hand-made mask
  int max_nesting = 64;                          // depth of nested arrays and objects
  std::size_t max_file_bytes = 64u << 20;        // a scenario file
  double max_coordinate = 1e6;                   // layer position and anchor, pixels; scale, %
};

// The limits as people read them, one per line (for --help).
std::string DescribeLimits(const Limits &limits = Limits());

// Before the project is set up from the scenario: sizes that would not even fit the project's
// integers, and the number of steps.
void CheckScenarioLimits(const Json &scenario, const Limits &limits);
// Once it is set up: frame counts, times in ticks, the buffer every render of the layer needs.
void CheckProjectLimits(const Project &project, const View &view, const Limits &limits);
// Before a step runs: its times, points, vertices, render buffer and picture size.
void CheckStepLimits(const Json &step, const Project &project, const View &view,
                     const Limits &limits);

}  // namespace orvane::host
