/* Effect protocol: commands, error codes, parameter definitions and the command blocks. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "A.h"
#include "SPBasic.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_ParamIndex;
typedef A_long PF_ParamValue;
typedef A_long PF_Fixed;
typedef A_u_char PF_Boolean;
typedef A_FpLong PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef A_u_long PF_PathID;
typedef void **PF_Handle;
typedef struct _PF_ProgPtr *PF_ProgPtr;

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
  PF_Interrupt_CANCEL = 517,
  PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518
};

enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_0 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
  PF_Cmd_AUDIO_RENDER = 19,
  PF_Cmd_AUDIO_SETUP = 20,
  PF_Cmd_AUDIO_SETDOWN = 21,
  PF_Cmd_ARBITRARY_CALLBACK = 22,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24
};

/* Packed version word: build 0-8, stage 9-10, bug-fix 11-14, minor 15-18, major 19-21. */
#define PF_VERSION(vers, subvers, bugvers, stage, build)                                 \
  ((A_u_long)((((vers)&0x7) << 19) | (((subvers)&0xF) << 15) | (((bugvers)&0xF) << 11) | \
              (((stage)&0x3) << 9) | ((build)&0x1FF)))

enum { PF_Stage_DEVELOP = 0, PF_Stage_ALPHA = 1, PF_Stage_BETA = 2, PF_Stage_RELEASE = 3 };

enum {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x100,
  PF_OutFlag_CUSTOM_UI = 0x8000,
  PF_OutFlag_REFRESH_UI = 0x20000,
  PF_OutFlag_FORCE_RERENDER = 0x400000,
  PF_OutFlag_DEEP_COLOR_AWARE = 0x2000000,
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x4000000
};

enum {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_SUPPORTS_SMART_RENDER = 0x400,
  PF_OutFlag2_FLOAT_COLOR_AWARE = 0x1000
};

/* ---- parameters ---- */

enum {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_CUSTOM = 8,
  PF_Param_NO_DATA = 9,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_ARBITRARY_DATA = 11,
  PF_Param_PATH = 12,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
  PF_Param_BUTTON = 15
};
typedef A_long PF_ParamType;

enum {
  PF_ParamFlag_RESERVED1 = 0x01,
  PF_ParamFlag_CANNOT_TIME_VARY = 0x02,
  PF_ParamFlag_CANNOT_INTERP = 0x04,
  PF_ParamFlag_COLLAPSE_TWIRLY = 0x20,
  PF_ParamFlag_START_COLLAPSED = 0x20,
  PF_ParamFlag_SUPERVISE = 0x40
};
typedef A_long PF_ParamFlags;

enum { PF_PUI_NONE = 0 };
typedef A_long PF_ParamUIFlags;

enum { PF_ChangeFlag_NONE = 0, PF_ChangeFlag_CHANGED_VALUE = 1 };

enum { PF_ValueDisplayFlag_NONE = 0 };
enum { PF_FSliderFlag_NONE = 0, PF_FSliderFlag_WANT_PHASE = 1 };

#define PF_MAX_EFFECT_NAME_LEN 31
#define PF_MAX_EFFECT_PARAM_NAME_LEN 31
#define PF_MAX_PARAM_VALUE_LEN 31
#define PF_MAX_PARAM_DESCRIPTION_LEN 31
#define PF_MAX_EFFECT_MSG_LEN 255

typedef struct {
  A_u_char alpha, red, green, blue;
} PF_Pixel, PF_Pixel8;

typedef struct {
  A_u_short alpha, red, green, blue;
} PF_Pixel16;

typedef struct {
  PF_FpShort alpha, red, green, blue;
} PF_PixelFloat, PF_Pixel32;

typedef struct {
  A_long h, v;
} PF_Point;

typedef struct {
  PF_Fixed x, y;
} PF_FixedPoint;

typedef struct {
  A_long left, top, right, bottom;
} PF_LRect, PF_Rect;

typedef struct {
  A_long num;
  A_u_long den;
} PF_RationalScale;

enum { PF_WorldFlag_DEEP = 1, PF_WorldFlag_WRITEABLE = 2, PF_WorldFlag_FLOAT = 4 };

/* An image buffer: rows of pixels, rowbytes apart. */
typedef struct PF_LayerDef {
  A_long reserved0;
  A_long world_flags;
  void *data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  PF_RationalScale pix_aspect_ratio;
} PF_LayerDef, PF_EffectWorld;

typedef struct {
  PF_ParamValue value;
  A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
  A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
  PF_ParamValue valid_min, valid_max;
  PF_ParamValue slider_min, slider_max;
  PF_ParamValue dephault;
} PF_SliderDef;

typedef struct {
  PF_FpLong value;
  PF_FpLong phase;
  A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
  PF_FpShort valid_min, valid_max;
  PF_FpShort slider_min, slider_max;
  PF_FpShort dephault;
  A_short precision;
  A_short display_flags;
  A_long fs_flags;
  PF_FpShort curve_tolerance;
} PF_FloatSliderDef;

typedef struct {
  PF_Fixed value;
  PF_Fixed dephault;
  PF_Fixed valid_min, valid_max;
} PF_AngleDef;

typedef struct {
  PF_ParamValue value;
  PF_Boolean dephault;
  A_char reserved;
  A_short reserved1;
  union {
    const A_char *nameptr;
  } u;
} PF_CheckBoxDef;

typedef struct {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

typedef struct {
  PF_Fixed x_value, y_value;
  A_char reserved[3];
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault, y_dephault;
} PF_PointDef;

typedef struct {
  PF_ParamValue value;
  union {
    const A_char *namesptr;
  } u;
} PF_ButtonDef;

typedef struct {
  PF_PathID path_id;
  A_long reserved0;
  A_long dephault;
} PF_PathDef;

typedef union {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FloatSliderDef fs_d;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PointDef td;
  PF_ButtonDef button_d;
  PF_PathDef path_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;
    A_long change_flags;
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
} PF_ParamDef, *PF_ParamDefPtr, **PF_ParamList;

/* ---- command blocks ---- */

struct PF_CustomUIInfo;

typedef struct {
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef *param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef *param);
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, struct PF_CustomUIInfo *cust_info);
} PF_InteractCallbacks;

struct _PF_UtilCallbacks;

typedef struct PF_InData {
  PF_InteractCallbacks inter;
  struct _PF_UtilCallbacks *utils;
  PF_ProgPtr effect_ref;
  A_long quality;
  A_u_long version;
  A_long serial_num;
  A_long appl_id;
  A_long num_params;
  A_long what_cpu;
  A_long what_fpu;
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  A_long in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  const SPBasicSuite *pica_basicP;
} PF_InData;

typedef struct PF_OutData {
  A_u_long my_version;
  A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  A_long out_flags;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
  A_long out_flags2;
} PF_OutData;

typedef struct {
  PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

#ifdef __cplusplus
}
#endif
