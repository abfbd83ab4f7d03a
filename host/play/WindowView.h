// A window as the page draws it on a canvas: the layer as the window places it (a picture of its
// own, report/Pictures.h), the closed masks' outlines the layer shows through, and the
// operations of the module's own draw event, all in window pixels. The page composites them as the
// host's pictures do (report/Pictures.h), so it shows what the module drew and nothing else.
#pragma once

#include "protocol/Session.h"
#include "report/Json.h"

namespace orvane::host::play {

// Sends the draw event at `time` and gives the window's view. Throws BadInput, as the pictures
// do, for a window larger than the host draws.
Json WindowView(Session &session, WindowKind window, double time);

}  // namespace orvane::host::play
