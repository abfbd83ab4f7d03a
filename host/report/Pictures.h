// Pictures of what a user would see: a window with the layer composited through its masks and
// the effect's overlay on top, written as PNG with Cairo.
#pragma once

#include <string>
#include <vector>

#include "protocol/Session.h"
#include "report/PictureLayout.h"

namespace orvane::host {

// The window at a composition time, with the operations of the last draw event over it, and
// with `caption` a band below it naming the window, the time and the zoom.
// Throws BadInput when the file cannot be written.
void WriteWindowPng(Session &session, WindowKind window, double time, const std::string &path,
                    bool caption = false);

// The same picture without a caption, as the bytes of a PNG file encoded for speed rather than
// size (the browser session asks for one at every mouse move).
std::string WindowPng(Session &session, WindowKind window, double time);

// The layer alone in a window at a composition time, placed as the window shows it, over the
// pictures' background: what the browser session composites through the masks' outlines and
// under the module's drawing. As a PNG encoded for speed.
std::string WindowLayerPng(Session &session, WindowKind window, double time);

// Frames of the layer through its masks, laid out as `layout` says, each labelled with its frame
// number and time.
void WriteContactSheet(Session &session, const std::vector<double> &times,
                       const SheetLayout &layout, const std::string &path);

}  // namespace orvane::host
