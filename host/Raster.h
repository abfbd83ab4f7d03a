// Pictures of what a user would see: a window with the layer composited through its masks and
// the effect's overlay on top, written as PNG with Cairo.
#ifndef ORVANE_HOST_RASTER_H
#define ORVANE_HOST_RASTER_H

#include <string>
#include <vector>

#include "Session.h"

namespace orvane::host {

// The window at a composition time, with the operations of the last draw event over it.
// Throws BadInput when the file cannot be written.
void WriteWindowPng(Session &session, WindowKind window, double time, const std::string &path);

// Frames of the layer through its masks, `columns` to a row, each scaled to `cell_width`.
void WriteContactSheet(Session &session, const std::vector<double> &times, int columns,
                       int cell_width, const std::string &path);

}  // namespace orvane::host

#endif
