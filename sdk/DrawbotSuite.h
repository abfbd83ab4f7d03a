/* Drawbot: the host's drawing interface for custom UI in its windows. */
/* OrvaneTavolin stand-in header, for orvane-host only (see OrvaneStandIn.h). */
#pragma once

#include "AE_Effect.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _DRAWBOT_DrawRef *DRAWBOT_DrawRef;
typedef struct _DRAWBOT_ObjectRef *DRAWBOT_ObjectRef;
typedef DRAWBOT_ObjectRef DRAWBOT_SupplierRef;
typedef DRAWBOT_ObjectRef DRAWBOT_SurfaceRef;
typedef DRAWBOT_ObjectRef DRAWBOT_PenRef;
typedef DRAWBOT_ObjectRef DRAWBOT_PathRef;

typedef struct {
  float red, green, blue, alpha;
} DRAWBOT_ColorRGBA;

typedef struct {
  float x, y;
} DRAWBOT_PointF32;

typedef struct {
  float left, top, width, height;
} DRAWBOT_RectF32;

#define kDRAWBOT_DrawSuite "DRAWBOT Draw Suite"
#define kDRAWBOT_DrawSuite_Version1 1
typedef struct DRAWBOT_DrawbotSuite1 {
  PF_Err (*GetSupplier)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SupplierRef *out_supplierP);
  PF_Err (*GetSurface)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SurfaceRef *out_surfaceP);
} DRAWBOT_DrawbotSuite1, DRAWBOT_DrawbotSuiteCurrent;

#define kDRAWBOT_SupplierSuite "DRAWBOT Supplier Suite"
#define kDRAWBOT_SupplierSuite_Version1 1
typedef struct DRAWBOT_SupplierSuite1 {
  PF_Err (*NewPen)(DRAWBOT_SupplierRef in_supplier_ref, const DRAWBOT_ColorRGBA *in_colorP,
                   float in_size, DRAWBOT_PenRef *out_penP);
  PF_Err (*NewPath)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_PathRef *out_pathP);
  PF_Err (*ReleaseObject)(DRAWBOT_ObjectRef in_obj_ref);
} DRAWBOT_SupplierSuite1, DRAWBOT_SupplierSuiteCurrent;

#define kDRAWBOT_SurfaceSuite "DRAWBOT Surface Suite"
#define kDRAWBOT_SurfaceSuite_Version1 1
typedef struct DRAWBOT_SurfaceSuite1 {
  PF_Err (*StrokePath)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_PenRef in_pen_ref,
                       DRAWBOT_PathRef in_path_ref);
  PF_Err (*PaintRect)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_ColorRGBA *in_colorP,
                      const DRAWBOT_RectF32 *in_rectPR);
} DRAWBOT_SurfaceSuite1, DRAWBOT_SurfaceSuiteCurrent;

#define kDRAWBOT_PathSuite "DRAWBOT Path Suite"
#define kDRAWBOT_PathSuite_Version1 1
typedef struct DRAWBOT_PathSuite1 {
  PF_Err (*MoveTo)(DRAWBOT_PathRef in_path_ref, float in_x, float in_y);
  PF_Err (*BezierTo)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_PointF32 *in_pt1P,
                     const DRAWBOT_PointF32 *in_pt2P, const DRAWBOT_PointF32 *in_pt3P);
} DRAWBOT_PathSuite1, DRAWBOT_PathSuiteCurrent;

typedef struct {
  const DRAWBOT_DrawbotSuite1 *drawbot_suiteP;
  const DRAWBOT_SupplierSuite1 *supplier_suiteP;
  const DRAWBOT_SurfaceSuite1 *surface_suiteP;
  const DRAWBOT_PathSuite1 *path_suiteP;
} DRAWBOT_Suites;

#ifdef __cplusplus
}
#endif
