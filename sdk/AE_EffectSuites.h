/* Effect suites and records of the smart render protocol and the path query. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFPathQuerySuite "PF Path Query Suite"
#define kPFPathQuerySuiteVersion1 1

typedef struct PF_PathQuerySuite1 {
  PF_Err (*PF_NumPaths)(PF_ProgPtr effect_ref, A_long *num_pathsPL);
  PF_Err (*PF_PathInfo)(PF_ProgPtr effect_ref, A_long indexL, PF_PathID *unique_idP);
} PF_PathQuerySuite1;

typedef A_long PF_Field;
typedef A_long PF_ChannelMask;

typedef struct {
  PF_LRect rect;
  PF_Field field;
  PF_ChannelMask channel_mask;
  PF_Boolean preserve_rgb_of_zero_alpha;
  A_char unused[3];
  A_long reserved[4];
} PF_RenderRequest;

typedef struct {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_RationalScale par;
  A_long solid;
  PF_Boolean reservedB[3];
  A_long ref_width;
  A_long ref_height;
  A_long reserved[6];
} PF_CheckoutResult;

typedef struct {
  PF_RenderRequest output_request;
  A_short bitdepth;
} PF_PreRenderInput;

typedef struct {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_Boolean solid;
  PF_Boolean reserved;
  A_short flags;
  void *pre_render_data;
} PF_PreRenderOutput;

typedef struct {
  PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_idL,
                           const PF_RenderRequest *req, A_long what_time, A_long time_step,
                           A_u_long time_scale, PF_CheckoutResult *checkout_result);
} PF_PreRenderCallbacks;

typedef struct {
  PF_PreRenderInput *input;
  PF_PreRenderOutput *output;
  PF_PreRenderCallbacks *cb;
} PF_PreRenderExtra;

typedef struct {
  PF_RenderRequest output_request;
  A_short bitdepth;
  void *pre_render_data;
} PF_SmartRenderInput;

typedef struct {
  PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL,
                                  PF_EffectWorld **pixels);
  PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL);
  PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld **output);
} PF_SmartRenderCallbacks;

typedef struct {
  PF_SmartRenderInput *input;
  PF_SmartRenderCallbacks *cb;
} PF_SmartRenderExtra;

#ifdef __cplusplus
}
#endif
