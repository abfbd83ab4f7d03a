/* AEGP: project access suites (layers, masks, streams, keyframes, compositions, undo). */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_long AEGP_PluginID;
typedef void *AEGP_GlobalRefcon;
typedef struct _AEGP_LayerH *AEGP_LayerH;
typedef struct _AEGP_CompH *AEGP_CompH;
typedef struct _AEGP_EffectRefH *AEGP_EffectRefH;
typedef struct _AEGP_MaskRefH *AEGP_MaskRefH;
typedef struct _AEGP_StreamRefH *AEGP_StreamRefH;
typedef struct _AEGP_MaskOutlineValH *AEGP_MaskOutlineValH;
typedef struct _AEGP_AddKeyframesInfoH *AEGP_AddKeyframesInfoH;
typedef A_u_long AEGP_MaskIDVal;
typedef A_long AEGP_VertexIndex;
typedef A_long AEGP_KeyframeIndex;

enum { AEGP_LTimeMode_LayerTime = 0, AEGP_LTimeMode_CompTime = 1 };
typedef A_long AEGP_LTimeMode;

enum {
  AEGP_MaskStream_OUTLINE = 400,
  AEGP_MaskStream_OPACITY = 401,
  AEGP_MaskStream_FEATHER = 402,
  AEGP_MaskStream_EXPANSION = 403
};
typedef A_long AEGP_MaskStream;

enum {
  AEGP_DynStreamFlag_ACTIVE_EYEBALL = 1,
  AEGP_DynStreamFlag_HIDDEN = 2,
  AEGP_DynStreamFlag_DISABLED = 4,
  AEGP_DynStreamFlag_ELIDED = 8
};
typedef A_long AEGP_DynStreamFlags;

typedef struct {
  A_FpLong alphaF, redF, greenF, blueF;
} AEGP_ColorVal;

typedef struct {
  A_FpLong x, y;
  A_FpLong tan_in_x, tan_in_y;
  A_FpLong tan_out_x, tan_out_y;
} AEGP_MaskVertex;

typedef A_FpLong AEGP_OneDVal;
typedef struct {
  A_FpLong x, y;
} AEGP_TwoDVal;
typedef struct {
  A_FpLong x, y, z;
} AEGP_ThreeDVal;
typedef struct {
  A_FpLong a, b, c, d;
} AEGP_FourDVal;

typedef union {
  AEGP_FourDVal four_d;
  AEGP_ThreeDVal three_d;
  AEGP_TwoDVal two_d;
  AEGP_OneDVal one_d;
  AEGP_ColorVal color;
  AEGP_MaskIDVal mask_id;
  AEGP_MaskOutlineValH mask;
} AEGP_StreamVal2;

typedef struct {
  AEGP_StreamRefH streamH;
  AEGP_StreamVal2 val;
} AEGP_StreamValue2;

/* ---- suites ---- */

#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion9 9
typedef struct AEGP_StreamSuite9 {
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effectH,
                                          PF_ParamIndex param_index, AEGP_StreamRefH *streamPH);
  A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_refH,
                                 AEGP_MaskStream which_stream, AEGP_StreamRefH *mask_streamPH);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
  A_Err (*AEGP_GetNewStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                  AEGP_LTimeMode time_mode, const A_Time *timePT,
                                  A_Boolean pre_expression, AEGP_StreamValue2 *valueP);
  A_Err (*AEGP_DisposeStreamValue)(AEGP_StreamValue2 *valueP);
  A_Err (*AEGP_SetStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                               AEGP_StreamValue2 *valueP);
} AEGP_StreamSuite9;

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1
typedef struct AEGP_PFInterfaceSuite1 {
  A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_ppb_ref, AEGP_LayerH *layerPH);
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ppb_ref,
                                      AEGP_EffectRefH *effectPH);
} AEGP_PFInterfaceSuite1;

#define kAEGPMaskOutlineSuite "AEGP Mask Outline Suite"
#define kAEGPMaskOutlineSuiteVersion3 3
typedef struct AEGP_MaskOutlineSuite3 {
  A_Err (*AEGP_IsMaskOutlineOpen)(AEGP_MaskOutlineValH mask_outlineH, A_Boolean *openPB);
  A_Err (*AEGP_SetMaskOutlineOpen)(AEGP_MaskOutlineValH mask_outlineH, A_Boolean openB);
  A_Err (*AEGP_GetMaskOutlineNumSegments)(AEGP_MaskOutlineValH mask_outlineH,
                                          A_long *num_segmentsPL);
  A_Err (*AEGP_GetMaskOutlineVertexInfo)(AEGP_MaskOutlineValH mask_outlineH,
                                         AEGP_VertexIndex which_pointL, AEGP_MaskVertex *vertexP);
  A_Err (*AEGP_SetMaskOutlineVertexInfo)(AEGP_MaskOutlineValH mask_outlineH,
                                         AEGP_VertexIndex which_pointL,
                                         const AEGP_MaskVertex *vertexP);
  A_Err (*AEGP_CreateVertex)(AEGP_MaskOutlineValH mask_outlineH, AEGP_VertexIndex insert_position);
} AEGP_MaskOutlineSuite3;

#define kAEGPLayerMaskSuite "AEGP Layer Mask Suite"
#define kAEGPLayerMaskSuiteVersion5 5
typedef struct AEGP_LayerMaskSuite5 {
  A_Err (*AEGP_GetLayerNumMasks)(AEGP_LayerH aegp_layerH, A_long *num_masksPL);
  A_Err (*AEGP_GetLayerMaskByIndex)(AEGP_LayerH aegp_layerH, A_long mask_indexL,
                                    AEGP_MaskRefH *maskPH);
  A_Err (*AEGP_DisposeMask)(AEGP_MaskRefH mask_refH);
} AEGP_LayerMaskSuite5;

#define kAEGPLayerMaskSuiteVersion6 6
typedef struct AEGP_LayerMaskSuite6 {
  A_Err (*AEGP_GetLayerNumMasks)(AEGP_LayerH aegp_layerH, A_long *num_masksPL);
  A_Err (*AEGP_GetLayerMaskByIndex)(AEGP_LayerH aegp_layerH, A_long mask_indexL,
                                    AEGP_MaskRefH *maskPH);
  A_Err (*AEGP_DisposeMask)(AEGP_MaskRefH mask_refH);
  A_Err (*AEGP_GetMaskColor)(AEGP_MaskRefH mask_refH, AEGP_ColorVal *colorP);
  A_Err (*AEGP_SetMaskColor)(AEGP_MaskRefH mask_refH, const AEGP_ColorVal *colorP);
  A_Err (*AEGP_GetMaskID)(AEGP_MaskRefH mask_refH, AEGP_MaskIDVal *id_valP);
  A_Err (*AEGP_CreateNewMask)(AEGP_LayerH layerH, AEGP_MaskRefH *mask_refPH, A_long *mask_indexPL0);
} AEGP_LayerMaskSuite6;

#define kAEGPLayerSuite "AEGP Layer Suite"
#define kAEGPLayerSuiteVersion13 13
typedef struct AEGP_LayerSuite13 {
  A_Err (*AEGP_GetLayerParentComp)(AEGP_LayerH layerH, AEGP_CompH *compPH);
} AEGP_LayerSuite13;

#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion7 7
typedef struct AEGP_UtilitySuite7 {
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char *plugin_name,
                                 AEGP_PluginID *plugin_id);
} AEGP_UtilitySuite7;

#define kAEGPUtilitySuiteVersion11 11
typedef struct AEGP_UtilitySuite11 {
  A_Err (*AEGP_StartUndoGroup)(const A_char *undo_name);
  A_Err (*AEGP_EndUndoGroup)(void);
} AEGP_UtilitySuite11;

#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2
typedef struct AEGP_EffectSuite2 {
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
} AEGP_EffectSuite2;

#define kAEGPEffectSuiteVersion3 3
typedef struct AEGP_EffectSuite3 {
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
} AEGP_EffectSuite3;

#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion5 5
typedef struct AEGP_DynamicStreamSuite5 {
  A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag,
                                     A_Boolean undoableB, A_Boolean setB);
} AEGP_DynamicStreamSuite5;

#define kAEGPKeyframeSuite "AEGP Keyframe Suite"
#define kAEGPKeyframeSuiteVersion4 4
typedef struct AEGP_KeyframeSuite4 {
  A_Err (*AEGP_StartAddKeyframes)(AEGP_StreamRefH streamH, AEGP_AddKeyframesInfoH *akPH);
  A_Err (*AEGP_AddKeyframes)(AEGP_AddKeyframesInfoH akH, AEGP_LTimeMode time_mode,
                             const A_Time *timePT, AEGP_KeyframeIndex *key_indexPL);
  A_Err (*AEGP_SetAddKeyframe)(AEGP_AddKeyframesInfoH akH, AEGP_KeyframeIndex key_indexL,
                               const AEGP_StreamValue2 *valueP);
  A_Err (*AEGP_EndAddKeyframes)(A_Boolean addB, AEGP_AddKeyframesInfoH akH);
} AEGP_KeyframeSuite4;

#define kAEGPCompSuite "AEGP Comp Suite"
#define kAEGPCompSuiteVersion18 18
typedef struct AEGP_CompSuite18 {
  A_Err (*AEGP_GetCompWorkAreaStart)(AEGP_CompH compH, A_Time *work_area_startPT);
  A_Err (*AEGP_GetCompWorkAreaDuration)(AEGP_CompH compH, A_Time *work_area_durationPT);
  A_Err (*AEGP_GetCompFramerate)(AEGP_CompH compH, A_FpLong *fpsPF);
} AEGP_CompSuite18;

#ifdef __cplusplus
}
#endif
