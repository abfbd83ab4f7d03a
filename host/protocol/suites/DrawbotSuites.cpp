// The custom UI suite and the Drawbot suites: every drawing operation is recorded.
#include "AE_EffectUI.h"
#include "DrawbotSuite.h"
#include "protocol/HandleObjects.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"

namespace orvane::host {

namespace {

Session &S() { return Session::Current(); }

struct PenObject : HandleObject {
  DRAWBOT_ColorRGBA color{};
  float size = 0;
};
struct PathObject : HandleObject {
  std::vector<DRAWBOT_PointF32> points;
};

// Drawing, supplier and surface references are tokens valid during a draw event.
char g_drawing, g_supplier, g_surface;
DRAWBOT_DrawRef DrawingToken() { return reinterpret_cast<DRAWBOT_DrawRef>(&g_drawing); }
DRAWBOT_SupplierRef SupplierToken() { return reinterpret_cast<DRAWBOT_SupplierRef>(&g_supplier); }
DRAWBOT_SurfaceRef SurfaceToken() { return reinterpret_cast<DRAWBOT_SurfaceRef>(&g_surface); }

bool Valid(bool ok, const char *function, const char *what) {
  if (!ok) S().handles().Report(std::string(function) + ": " + what);
  return ok;
}

PF_Err GetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef *ref) {
  ORVANE_HOST_ENTER("PF_GetDrawingReference", S().ContextName(context));
  if (!ref) return PF_Err_BAD_CALLBACK_PARAM;
  *ref = nullptr;
  if (!Valid(context && context == S().event_context(), "PF_GetDrawingReference",
             "not the context of the event's window")) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // Outside a draw event there is nothing to draw on.
  if (S().surface().open()) *ref = DrawingToken();
  return PF_Err_NONE;
}

const PF_EffectCustomUISuite1 kCustomUISuite1 = {Traced<GetDrawingReference>};

PF_Err GetSupplier(DRAWBOT_DrawRef ref, DRAWBOT_SupplierRef *supplier) {
  ORVANE_HOST_ENTER("GetSupplier", ref);
  if (!Valid(ref == DrawingToken() && S().surface().open(), "GetSupplier",
             "no drawing under way") ||
      !supplier) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *supplier = SupplierToken();
  return PF_Err_NONE;
}

PF_Err GetSurface(DRAWBOT_DrawRef ref, DRAWBOT_SurfaceRef *surface) {
  ORVANE_HOST_ENTER("GetSurface", ref);
  if (!Valid(ref == DrawingToken() && S().surface().open(), "GetSurface", "no drawing under way") ||
      !surface) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *surface = SurfaceToken();
  return PF_Err_NONE;
}

const DRAWBOT_DrawbotSuite1 kDrawSuite1 = {Traced<GetSupplier>, Traced<GetSurface>};

PF_Err NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA *color, float size,
              DRAWBOT_PenRef *pen) {
  ORVANE_HOST_ENTER("NewPen", supplier, In(color), size);
  if (!Valid(supplier == SupplierToken(), "NewPen", "unknown supplier") || !color || !pen) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  auto *object = S().handles().Make<PenObject>(HandleKind::DrawObject);
  object->color = *color;
  object->size = size;
  *pen = object->handle<DRAWBOT_PenRef>();
  return PF_Err_NONE;
}

PF_Err NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef *path) {
  ORVANE_HOST_ENTER("NewPath", supplier);
  if (!Valid(supplier == SupplierToken(), "NewPath", "unknown supplier") || !path)
    return PF_Err_BAD_CALLBACK_PARAM;
  *path = S().handles().Make<PathObject>(HandleKind::DrawObject)->handle<DRAWBOT_PathRef>();
  return PF_Err_NONE;
}

PF_Err ReleaseObject(DRAWBOT_ObjectRef object) {
  ORVANE_HOST_RELEASE(
      "ReleaseObject",
      ReleaseResult(S().handles().Release(object, HandleKind::DrawObject, "ReleaseObject")),
      H(object));
}

const DRAWBOT_SupplierSuite1 kSupplierSuite1 = {Traced<NewPen>, Traced<NewPath>,
                                                Traced<ReleaseObject>};

template <typename T>
T *ObjectOf(const void *ref, const char *function) {
  HandleObject *o = S().handles().Get<HandleObject>(ref, HandleKind::DrawObject, function);
  T *typed = dynamic_cast<T *>(o);
  if (o && !typed) S().handles().Report(std::string(function) + ": wrong kind of drawing object");
  return typed;
}

PF_Err StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen_ref, DRAWBOT_PathRef path_ref) {
  ORVANE_HOST_ENTER("StrokePath", surface, H(pen_ref), H(path_ref));
  PenObject *pen = ObjectOf<PenObject>(pen_ref, "StrokePath");
  PathObject *path = ObjectOf<PathObject>(path_ref, "StrokePath");
  if (!Valid(surface == SurfaceToken() && S().surface().open(), "StrokePath",
             "no drawing under way") ||
      !pen || !path) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  DrawOp op;
  op.kind = DrawOp::Kind::Stroke;
  op.color = pen->color;
  op.size = pen->size;
  op.path = path->points;
  S().surface().Add(std::move(op));
  return PF_Err_NONE;
}

PF_Err PaintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA *color,
                 const DRAWBOT_RectF32 *rect) {
  ORVANE_HOST_ENTER("PaintRect", surface, In(color), In(rect));
  if (!Valid(surface == SurfaceToken() && S().surface().open(), "PaintRect",
             "no drawing under way") ||
      !color || !rect) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  DrawOp op;
  op.kind = DrawOp::Kind::Rect;
  op.color = *color;
  op.rect = *rect;
  S().surface().Add(std::move(op));
  return PF_Err_NONE;
}

const DRAWBOT_SurfaceSuite1 kSurfaceSuite1 = {Traced<StrokePath>, Traced<PaintRect>};

PF_Err MoveTo(DRAWBOT_PathRef path_ref, float x, float y) {
  ORVANE_HOST_ENTER("MoveTo", H(path_ref), x, y);
  PathObject *path = ObjectOf<PathObject>(path_ref, "MoveTo");
  if (!path) return PF_Err_BAD_CALLBACK_PARAM;
  path->points.push_back(DRAWBOT_PointF32{x, y});
  return PF_Err_NONE;
}

PF_Err BezierTo(DRAWBOT_PathRef path_ref, const DRAWBOT_PointF32 *p1, const DRAWBOT_PointF32 *p2,
                const DRAWBOT_PointF32 *p3) {
  ORVANE_HOST_ENTER("BezierTo", H(path_ref), In(p1), In(p2), In(p3));
  PathObject *path = ObjectOf<PathObject>(path_ref, "BezierTo");
  if (!path || !p1 || !p2 || !p3) return PF_Err_BAD_CALLBACK_PARAM;
  path->points.insert(path->points.end(), {*p1, *p2, *p3});
  return PF_Err_NONE;
}

const DRAWBOT_PathSuite1 kPathSuite1 = {Traced<MoveTo>, Traced<BezierTo>};

}  // namespace

void ProvideDrawbotSuites(SuiteRegistry &registry) {
  registry.Provide(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &kCustomUISuite1);
  registry.Provide(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDrawSuite1);
  registry.Provide(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplierSuite1);
  registry.Provide(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1, &kSurfaceSuite1);
  registry.Provide(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPathSuite1);
}

}  // namespace orvane::host
