// Streams of effect parameters and mask outlines, their values, keyframes and flags.
#include <algorithm>
#include <cmath>

#include "AE_GeneralPlug.h"
#include "model/ParamTypes.h"
#include "model/Units.h"
#include "protocol/HandleObjects.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"

namespace orvane::host {

namespace {

Session &S() { return Session::Current(); }

StreamObject *StreamOf(AEGP_StreamRefH h, const char *function) {
  return S().handles().Get<StreamObject>(h, HandleKind::Stream, function);
}

OutlineObject *OutlineOf(AEGP_MaskOutlineValH h, const char *function) {
  return S().handles().Get<OutlineObject>(h, HandleKind::StreamValue, function);
}

EffectParam *ParamOf(StreamObject *stream) {
  auto &params = S().project().effect.params;
  if (stream->target != StreamObject::Target::EffectParam || stream->param_index < 0 ||
      std::size_t(stream->param_index) >= params.size()) {
    return nullptr;
  }
  return &params[std::size_t(stream->param_index)];
}

Mask *MaskOfStream(StreamObject *stream) {
  if (stream->target != StreamObject::Target::MaskOutline) return nullptr;
  return MaskById(S(), stream->mask_id, stream->mask_index);
}

// A key set at a layer time reports it in composition ticks, the frame the user sees it on.
A_Time KeyTicks(double layer_time) {
  const Project &p = S().project();
  return Ticks(p.CompTime(layer_time), p.comp.time_scale);
}

AEGP_StreamVal2 ToStreamVal(const EffectParam &param, const StreamValue &value) {
  return TypeOf(param.def).to_stream(value);
}

// A value the module sets, as its type keeps it; what is not a finite number becomes 0.
StreamValue FromStreamVal(const EffectParam &param, const AEGP_StreamVal2 &val) {
  StreamValue out = TypeOf(param.def).from_stream(param.def, val);
  for (double &x : out.v) {
    if (!std::isfinite(x)) x = 0;
  }
  return out;
}

A_Err GetNewEffectStreamByIndex(AEGP_PluginID plugin_id, AEGP_EffectRefH effect,
                                PF_ParamIndex index, AEGP_StreamRefH *stream) {
  ORVANE_HOST_ENTER("AEGP_GetNewEffectStreamByIndex", plugin_id, H(effect), index);
  const char *fn = "AEGP_GetNewEffectStreamByIndex";
  if (!KnownPlugin(S(), plugin_id, fn) ||
      !S().handles().Get<EffectObject>(effect, HandleKind::Effect, fn) || !stream) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const auto &params = S().project().effect.params;
  if (index < 1 || std::size_t(index) >= params.size() ||
      !params[std::size_t(index)].has_stream()) {
    return PF_Err_INVALID_INDEX;
  }
  auto *object = S().handles().Make<StreamObject>(HandleKind::Stream);
  object->target = StreamObject::Target::EffectParam;
  object->param_index = index;
  *stream = object->handle<AEGP_StreamRefH>();
  return A_Err_NONE;
}

A_Err GetNewMaskStream(AEGP_PluginID plugin_id, AEGP_MaskRefH mask_ref, AEGP_MaskStream which,
                       AEGP_StreamRefH *stream) {
  ORVANE_HOST_ENTER("AEGP_GetNewMaskStream", plugin_id, H(mask_ref), which);
  const char *fn = "AEGP_GetNewMaskStream";
  if (!KnownPlugin(S(), plugin_id, fn) || !stream) return PF_Err_BAD_CALLBACK_PARAM;
  Mask *mask = MaskOf(S(), mask_ref, fn);
  if (!mask) return PF_Err_BAD_CALLBACK_PARAM;
  // Only the outline is modelled; opacity, feather and expansion are not.
  if (which != AEGP_MaskStream_OUTLINE) return PF_Err_BAD_CALLBACK_PARAM;
  auto *object = S().handles().Make<StreamObject>(HandleKind::Stream);
  object->target = StreamObject::Target::MaskOutline;
  object->mask_id = mask->id;
  object->mask_index = int(mask - S().project().layer.masks.data());
  *stream = object->handle<AEGP_StreamRefH>();
  return A_Err_NONE;
}

// A value taken from a stream belongs to it: the application frees the value with the stream's
// help, so a stream disposed of first is misuse, though the stream is released all the same.
A_Err ReleaseStream(AEGP_StreamRefH stream) {
  const auto *object = S().handles().Peek<StreamObject>(stream, HandleKind::Stream);
  if (object && object->open_values > 0) {
    S().handles().Report("AEGP_DisposeStream: stream disposed of before the " +
                         std::to_string(object->open_values) + " value(s) taken from it");
  }
  return ReleaseResult(S().handles().Release(stream, HandleKind::Stream, "AEGP_DisposeStream"));
}

A_Err DisposeStream(AEGP_StreamRefH stream) {
  ORVANE_HOST_RELEASE("AEGP_DisposeStream", ReleaseStream(stream), H(stream));
}

A_Err GetNewStreamValue(AEGP_PluginID plugin_id, AEGP_StreamRefH stream_h, AEGP_LTimeMode mode,
                        const A_Time *time, A_Boolean pre_expression, AEGP_StreamValue2 *value) {
  ORVANE_HOST_ENTER("AEGP_GetNewStreamValue", plugin_id, H(stream_h), mode, In(time),
                    pre_expression);
  const char *fn = "AEGP_GetNewStreamValue";
  StreamObject *stream = StreamOf(stream_h, fn);
  double t = 0;
  if (!KnownPlugin(S(), plugin_id, fn) || !stream || !value || !LayerSeconds(S(), mode, time, &t)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (EffectParam *param = ParamOf(stream)) {
    value->val = ToStreamVal(*param, param->At(t, pre_expression != 0));
  } else if (Mask *mask = MaskOfStream(stream)) {
    auto *outline = S().handles().Make<OutlineObject>(HandleKind::StreamValue);
    outline->outline = mask->At(t, pre_expression != 0);
    value->val = AEGP_StreamVal2{};
    value->val.mask = outline->handle<AEGP_MaskOutlineValH>();
  } else {
    return PF_Err_BAD_CALLBACK_PARAM;  // the mask behind the stream is gone
  }
  value->streamH = stream_h;
  ++stream->open_values;
  stream->last_time = t;
  return A_Err_NONE;
}

A_Err ReleaseStreamValue(AEGP_StreamValue2 *value) {
  if (!value) return PF_Err_BAD_CALLBACK_PARAM;
  auto *stream = S().handles().Peek<StreamObject>(value->streamH, HandleKind::Stream);
  if (!stream || stream->open_values == 0) {
    S().handles().Report("AEGP_DisposeStreamValue: stream value disposed twice or never obtained");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  --stream->open_values;
  if (stream->target == StreamObject::Target::MaskOutline) {
    S().handles().Release(value->val.mask, HandleKind::StreamValue, "AEGP_DisposeStreamValue");
  }
  return A_Err_NONE;
}

A_Err DisposeStreamValue(AEGP_StreamValue2 *value) {
  ORVANE_HOST_RELEASE("AEGP_DisposeStreamValue", ReleaseStreamValue(value),
                      H(value ? value->streamH : nullptr));
}

A_Err SetStreamValue(AEGP_PluginID plugin_id, AEGP_StreamRefH stream_h, AEGP_StreamValue2 *value) {
  ORVANE_HOST_ENTER("AEGP_SetStreamValue", plugin_id, H(stream_h));
  const char *fn = "AEGP_SetStreamValue";
  StreamObject *stream = StreamOf(stream_h, fn);
  if (!KnownPlugin(S(), plugin_id, fn) || !stream || !value) return PF_Err_BAD_CALLBACK_PARAM;
  if (EffectParam *param = ParamOf(stream)) {
    S().WillChange(UndoHistory::ParamPart(std::size_t(stream->param_index)));
    param->stream.Set(stream->last_time, KeyTicks(stream->last_time),
                      FromStreamVal(*param, value->val));
    return A_Err_NONE;
  }
  Mask *mask = MaskOfStream(stream);
  OutlineObject *outline = OutlineOf(value->val.mask, fn);
  if (!mask || !outline) return PF_Err_BAD_CALLBACK_PARAM;
  S().WillChange(UndoHistory::ModelPart());
  mask->outline.Set(stream->last_time, KeyTicks(stream->last_time), outline->outline);
  return A_Err_NONE;
}

const AEGP_StreamSuite9 kStreamSuite9 = {
    Traced<GetNewEffectStreamByIndex>, Traced<GetNewMaskStream>,   Traced<DisposeStream>,
    Traced<GetNewStreamValue>,         Traced<DisposeStreamValue>, Traced<SetStreamValue>};

A_Err SetDynamicStreamFlag(AEGP_StreamRefH stream_h, AEGP_DynStreamFlags flag, A_Boolean undoable,
                           A_Boolean set) {
  ORVANE_HOST_ENTER("AEGP_SetDynamicStreamFlag", H(stream_h), flag, undoable, set);
  StreamObject *stream = StreamOf(stream_h, "AEGP_SetDynamicStreamFlag");
  if (!stream) return PF_Err_BAD_CALLBACK_PARAM;
  EffectParam *param = ParamOf(stream);
  if (param && flag == AEGP_DynStreamFlag_HIDDEN) {
    // A flag set as not undoable is the module's own display state and makes no entry.
    const auto part = UndoHistory::ParamPart(std::size_t(stream->param_index));
    if (undoable) {
      S().project().WillChange(part);
    } else {
      S().project().undo.Touch(S().project(), part);
    }
    param->hidden = set != 0;
  }
  return A_Err_NONE;
}

const AEGP_DynamicStreamSuite5 kDynamicStreamSuite5 = {Traced<SetDynamicStreamFlag>};

// ---- mask outlines ----

A_Err IsMaskOutlineOpen(AEGP_MaskOutlineValH h, A_Boolean *open) {
  ORVANE_HOST_ENTER("AEGP_IsMaskOutlineOpen", H(h));
  OutlineObject *o = OutlineOf(h, "AEGP_IsMaskOutlineOpen");
  if (!o || !open) return PF_Err_BAD_CALLBACK_PARAM;
  *open = o->outline.open ? TRUE : FALSE;
  return A_Err_NONE;
}

A_Err SetMaskOutlineOpen(AEGP_MaskOutlineValH h, A_Boolean open) {
  ORVANE_HOST_ENTER("AEGP_SetMaskOutlineOpen", H(h), open);
  OutlineObject *o = OutlineOf(h, "AEGP_SetMaskOutlineOpen");
  if (!o) return PF_Err_BAD_CALLBACK_PARAM;
  o->outline.open = open != 0;
  return A_Err_NONE;
}

A_Err GetMaskOutlineNumSegments(AEGP_MaskOutlineValH h, A_long *segments) {
  ORVANE_HOST_ENTER("AEGP_GetMaskOutlineNumSegments", H(h));
  OutlineObject *o = OutlineOf(h, "AEGP_GetMaskOutlineNumSegments");
  if (!o || !segments) return PF_Err_BAD_CALLBACK_PARAM;
  *segments = o->outline.Segments();
  return A_Err_NONE;
}

// The vertex a segment index ends on: on a closed outline, index n is vertex 0 again.
AEGP_MaskVertex *VertexAt(OutlineObject *o, AEGP_VertexIndex i) {
  auto &v = o->outline.vertices;
  if (i >= 0 && std::size_t(i) < v.size()) return &v[std::size_t(i)];
  if (!o->outline.open && !v.empty() && std::size_t(i) == v.size()) return &v[0];
  return nullptr;
}

A_Err GetMaskOutlineVertexInfo(AEGP_MaskOutlineValH h, AEGP_VertexIndex i,
                               AEGP_MaskVertex *vertex) {
  ORVANE_HOST_ENTER("AEGP_GetMaskOutlineVertexInfo", H(h), i);
  OutlineObject *o = OutlineOf(h, "AEGP_GetMaskOutlineVertexInfo");
  if (!o || !vertex) return PF_Err_BAD_CALLBACK_PARAM;
  AEGP_MaskVertex *v = VertexAt(o, i);
  if (!v) return PF_Err_INVALID_INDEX;
  *vertex = *v;
  return A_Err_NONE;
}

A_Err SetMaskOutlineVertexInfo(AEGP_MaskOutlineValH h, AEGP_VertexIndex i,
                               const AEGP_MaskVertex *vertex) {
  ORVANE_HOST_ENTER("AEGP_SetMaskOutlineVertexInfo", H(h), i, In(vertex));
  OutlineObject *o = OutlineOf(h, "AEGP_SetMaskOutlineVertexInfo");
  if (!o || !vertex) return PF_Err_BAD_CALLBACK_PARAM;
  AEGP_MaskVertex *v = VertexAt(o, i);
  if (!v) return PF_Err_INVALID_INDEX;
  *v = *vertex;
  return A_Err_NONE;
}

A_Err CreateVertex(AEGP_MaskOutlineValH h, AEGP_VertexIndex position) {
  ORVANE_HOST_ENTER("AEGP_CreateVertex", H(h), position);
  OutlineObject *o = OutlineOf(h, "AEGP_CreateVertex");
  if (!o) return PF_Err_BAD_CALLBACK_PARAM;
  auto &v = o->outline.vertices;
  if (position < 0 || std::size_t(position) > v.size()) return PF_Err_INVALID_INDEX;
  v.insert(v.begin() + position, AEGP_MaskVertex{});
  return A_Err_NONE;
}

const AEGP_MaskOutlineSuite3 kMaskOutlineSuite3 = {
    Traced<IsMaskOutlineOpen>,         Traced<SetMaskOutlineOpen>,
    Traced<GetMaskOutlineNumSegments>, Traced<GetMaskOutlineVertexInfo>,
    Traced<SetMaskOutlineVertexInfo>,  Traced<CreateVertex>};

}  // namespace

void ProvideStreamSuites(SuiteRegistry &registry) {
  registry.Provide(kAEGPStreamSuite, kAEGPStreamSuiteVersion9, &kStreamSuite9);
  registry.Provide(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion5, &kDynamicStreamSuite5);
  registry.Provide(kAEGPMaskOutlineSuite, kAEGPMaskOutlineSuiteVersion3, &kMaskOutlineSuite3);
}

}  // namespace orvane::host
