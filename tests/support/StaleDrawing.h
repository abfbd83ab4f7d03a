// What the host answered a module that kept the drawing of a draw event and used it on a later
// click, with a coordinate callback at a time scale of 0 on the same click, whether every
// command's parameters came whole, and the last command's in-data. The fixture module
// misuses_the_host fills it; a test reads it through KeptDrawingAnswers().
#ifndef ORVANE_TESTS_STALEDRAWING_H
#define ORVANE_TESTS_STALEDRAWING_H

#include "AE_Effect.h"

struct StaleDrawingAnswers {
  int clicks = 0;        // clicks the answers below are from (the last one)
  PF_Err supplier = -1;  // GetSupplier with the kept drawing
  PF_Err surface = -1;   // GetSurface with the kept drawing
  bool surface_written = false;
  PF_Err stroke = -1;                    // StrokePath on the kept surface
  PF_Err paint = -1;                     // PaintRect on the kept surface
  PF_Err layer_to_comp = -1;             // at a time scale of 0, on the click's own context
  PF_FixedPoint point{};                 // the point it was given, after the call
  PF_Err layer_to_comp_in_seconds = -1;  // at a time scale of 1, which is a time
  // Commands that handed over parameters, and those of them where one of the pointers was null
  // or the first was not the input layer.
  int handed_params = 0;
  int params_missing = 0;
  PF_InData in_data{};  // as the last command handed it over
  int drags = 0;        // drag events, and those of them marked as their gesture's last
  int last_drags = 0;
  PF_LRect update_rect{};  // of the last draw event
};

// The name the fixture exports its answers under.
#define ORVANE_STALE_DRAWING_ANSWERS "KeptDrawingAnswers"
using StaleDrawingAnswersFn = const StaleDrawingAnswers *(*)();

#endif  // ORVANE_TESTS_STALEDRAWING_H
