// Parameter indices. Index 0 is the input layer; every parameter's disk id equals its index.
// A slot's five parameters are consecutive (colour, centre, width, height, angle): the
// rectangle creator finds width and height right after the centre.
#ifndef ORVANE_PLUGIN_PARAMS_H
#define ORVANE_PLUGIN_PARAMS_H

#include "AE_Effect.h"

constexpr int SLOT_COUNT = 50;
constexpr int SLOT_PARAM_COUNT = 5;

constexpr PF_ParamIndex PARAM_INPUT = 0;
constexpr PF_ParamIndex PARAM_RECTANGLES_START = 1;
constexpr PF_ParamIndex PARAM_RECTANGLES_END = 252;
constexpr PF_ParamIndex PARAM_CREATE_MASK = 253;
constexpr PF_ParamIndex PARAM_MASKS_START = 254;
constexpr PF_ParamIndex PARAM_MASKS_END = 305;
constexpr PF_ParamIndex PARAM_NUMBER = 306;
constexpr PF_ParamIndex PARAM_ON = 307;
constexpr PF_ParamIndex PARAM_BAKE_MASKS = 308;
constexpr PF_ParamIndex PARAM_COUNT = 309;

// Per-slot indices for the 0-based slot s (the user's slot s + 1).
constexpr PF_ParamIndex PARAM_MASK_COLOR(int s) { return 2 + SLOT_PARAM_COUNT * s; }
constexpr PF_ParamIndex PARAM_CENTER(int s) { return 3 + SLOT_PARAM_COUNT * s; }
constexpr PF_ParamIndex PARAM_WIDTH(int s) { return 4 + SLOT_PARAM_COUNT * s; }
constexpr PF_ParamIndex PARAM_HEIGHT(int s) { return 5 + SLOT_PARAM_COUNT * s; }
constexpr PF_ParamIndex PARAM_ANGLE(int s) { return 6 + SLOT_PARAM_COUNT * s; }
constexpr PF_ParamIndex PARAM_MASK_PATH(int s) { return 255 + s; }

static_assert(PARAM_ANGLE(SLOT_COUNT - 1) + 1 == PARAM_RECTANGLES_END, "slot block");
static_assert(PARAM_MASK_PATH(SLOT_COUNT - 1) + 1 == PARAM_MASKS_END, "path block");

// "Number" as the host hands it, brought into the range of slots that exist.
inline int ClampSlotCount(PF_ParamValue n) {
  return n < 0 ? 0 : (n > SLOT_COUNT ? SLOT_COUNT : static_cast<int>(n));
}

#endif
