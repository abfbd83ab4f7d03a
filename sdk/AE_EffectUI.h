/* Custom UI: registration, events in the host's windows and the drawing reference. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"
#include "DrawbotSuite.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { PF_CustomEFlag_NONE = 0, PF_CustomEFlag_COMP = 1, PF_CustomEFlag_LAYER = 2 };
typedef A_long PF_CustomEventFlags;

enum { PF_UIAlignment_NONE = 0 };
typedef A_long PF_UIAlignment;

typedef struct PF_CustomUIInfo {
  A_long reserved;
  PF_CustomEventFlags events;
  A_long comp_ui_width, comp_ui_height;
  PF_UIAlignment comp_ui_alignment;
  A_long layer_ui_width, layer_ui_height;
  PF_UIAlignment layer_ui_alignment;
  A_long preview_ui_width, preview_ui_height;
  PF_UIAlignment preview_ui_alignment;
} PF_CustomUIInfo;

enum { PF_Window_COMP = 0, PF_Window_LAYER = 1, PF_Window_EFFECT = 2 };
typedef A_long PF_WindowType;

typedef struct PF_Context {
  A_u_long magic;
  PF_WindowType w_type;
  A_long reserved_flt;
  A_long reserved[4];
} PF_Context, *PF_ContextP, **PF_ContextH;

enum {
  PF_Event_NEW_CONTEXT = 0,
  PF_Event_ACTIVATE = 1,
  PF_Event_DO_CLICK = 2,
  PF_Event_DRAG = 3,
  PF_Event_DRAW = 4,
  PF_Event_DEACTIVATE = 5,
  PF_Event_CLOSE_CONTEXT = 6,
  PF_Event_IDLE = 7,
  PF_Event_ADJUST_CURSOR = 8,
  PF_Event_KEYDOWN = 9,
  PF_Event_MOUSE_EXITED = 10
};
typedef A_long PF_EventType;

enum { PF_EO_NONE = 0, PF_EO_HANDLED_EVENT = 1 };
typedef A_long PF_EventOutFlags;

typedef struct {
  A_u_long when;
  PF_Point screen_point;
  A_long num_clicks;
  A_long modifiers;
  A_intptr_t continue_refcon[4];
  PF_Boolean send_drag;
  PF_Boolean last_time;
} PF_DoClickEventInfo;

typedef struct {
  PF_LRect update_rect;
  A_long depth;
} PF_DrawEventInfo;

typedef union {
  PF_DoClickEventInfo do_click;
  PF_DrawEventInfo draw;
} PF_EventUnion;

typedef struct {
  void *refcon;
  PF_Err (*layer_to_comp)(void *refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint *pt);
  PF_Err (*comp_to_layer)(void *refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint *pt);
  PF_Err (*source_to_frame)(void *refcon, PF_ContextH context, PF_FixedPoint *pt);
  PF_Err (*frame_to_source)(void *refcon, PF_ContextH context, PF_FixedPoint *pt);
} PF_EventCallbacks;

typedef struct {
  PF_ContextH contextH;
  PF_EventType e_type;
  PF_EventUnion u;
  PF_EventOutFlags evt_out_flags;
  PF_EventCallbacks cbs;
} PF_EventExtra;

#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1

typedef struct PF_EffectCustomUISuite1 {
  PF_Err (*PF_GetDrawingReference)(const PF_ContextH effect_contextH, DRAWBOT_DrawRef *referenceP0);
} PF_EffectCustomUISuite1;

#ifdef __cplusplus
}
#endif
