// The composition's work area and frame rate, keyframe batches, and the Info panel.
#include <cmath>

#include "AE_AdvEffectSuites.h"
#include "AE_GeneralPlug.h"
#include "model/Units.h"
#include "protocol/HandleObjects.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"

namespace orvane::host {

namespace {

Session &S() { return Session::Current(); }

const Composition *CompOf(AEGP_CompH comp, const char *function) {
  if (comp == CompToken(S())) return &S().project().comp;
  S().problems().push_back(std::string(function) + ": not the effect's composition");
  return nullptr;
}

A_Err GetCompWorkAreaStart(AEGP_CompH comp_h, A_Time *start) {
  ORVANE_HOST_ENTER("AEGP_GetCompWorkAreaStart", comp_h);
  const Composition *comp = CompOf(comp_h, "AEGP_GetCompWorkAreaStart");
  if (!comp || !start) return PF_Err_BAD_CALLBACK_PARAM;
  *start = Ticks(comp->work_start, comp->time_scale);
  return A_Err_NONE;
}

A_Err GetCompWorkAreaDuration(AEGP_CompH comp_h, A_Time *duration) {
  ORVANE_HOST_ENTER("AEGP_GetCompWorkAreaDuration", comp_h);
  const Composition *comp = CompOf(comp_h, "AEGP_GetCompWorkAreaDuration");
  if (!comp || !duration) return PF_Err_BAD_CALLBACK_PARAM;
  *duration = Ticks(comp->work_duration, comp->time_scale);
  return A_Err_NONE;
}

A_Err GetCompFramerate(AEGP_CompH comp_h, A_FpLong *fps) {
  ORVANE_HOST_ENTER("AEGP_GetCompFramerate", comp_h);
  const Composition *comp = CompOf(comp_h, "AEGP_GetCompFramerate");
  if (!comp || !fps) return PF_Err_BAD_CALLBACK_PARAM;
  *fps = comp->fps;
  return A_Err_NONE;
}

const AEGP_CompSuite18 kCompSuite18 = {Traced<GetCompWorkAreaStart>,
                                       Traced<GetCompWorkAreaDuration>, Traced<GetCompFramerate>};

KeyframeBatchObject *BatchOf(AEGP_AddKeyframesInfoH h, const char *function) {
  return S().handles().Get<KeyframeBatchObject>(h, HandleKind::KeyframeBatch, function);
}

A_Err StartAddKeyframes(AEGP_StreamRefH stream_h, AEGP_AddKeyframesInfoH *batch) {
  ORVANE_HOST_ENTER("AEGP_StartAddKeyframes", H(stream_h));
  auto *stream =
      S().handles().Get<StreamObject>(stream_h, HandleKind::Stream, "AEGP_StartAddKeyframes");
  if (!stream || !batch) return PF_Err_BAD_CALLBACK_PARAM;
  auto *object = S().handles().Make<KeyframeBatchObject>(HandleKind::KeyframeBatch);
  object->target = stream->target;
  object->mask_id = stream->mask_id;
  *batch = object->handle<AEGP_AddKeyframesInfoH>();
  return A_Err_NONE;
}

A_Err AddKeyframes(AEGP_AddKeyframesInfoH batch_h, AEGP_LTimeMode mode, const A_Time *time,
                   AEGP_KeyframeIndex *index) {
  ORVANE_HOST_ENTER("AEGP_AddKeyframes", H(batch_h), mode, In(time));
  KeyframeBatchObject *batch = BatchOf(batch_h, "AEGP_AddKeyframes");
  double layer_time = 0;
  if (!batch || !index || !LayerSeconds(S(), mode, time, &layer_time))
    return PF_Err_BAD_CALLBACK_PARAM;
  // Keys remember their time in composition ticks, the frame the user sees them on.
  A_Time at = *time;
  if (mode == AEGP_LTimeMode_LayerTime) at = Ticks(S().project().CompTime(layer_time), time->scale);
  batch->keys.Append(layer_time, at, Outline());
  batch->set.push_back(false);
  *index = AEGP_KeyframeIndex(batch->keys.size() - 1);
  return A_Err_NONE;
}

A_Err SetAddKeyframe(AEGP_AddKeyframesInfoH batch_h, AEGP_KeyframeIndex index,
                     const AEGP_StreamValue2 *value) {
  ORVANE_HOST_ENTER("AEGP_SetAddKeyframe", H(batch_h), index, H(value ? value->val.mask : nullptr));
  KeyframeBatchObject *batch = BatchOf(batch_h, "AEGP_SetAddKeyframe");
  if (!batch || !value || index < 0 || std::size_t(index) >= batch->keys.size())
    return PF_Err_BAD_CALLBACK_PARAM;
  // Only mask outlines are keyed through batches here; a value is copied when it is set.
  if (batch->target != StreamObject::Target::MaskOutline) return PF_Err_BAD_CALLBACK_PARAM;
  auto *outline = S().handles().Get<OutlineObject>(value->val.mask, HandleKind::StreamValue,
                                                   "AEGP_SetAddKeyframe");
  if (!outline) return PF_Err_BAD_CALLBACK_PARAM;
  batch->set[std::size_t(index)] = true;
  batch->keys.Replace(std::size_t(index), outline->outline);
  return A_Err_NONE;
}

A_Err EndBatch(A_Boolean add, AEGP_AddKeyframesInfoH batch_h) {
  KeyframeBatchObject *batch = BatchOf(batch_h, "AEGP_EndAddKeyframes");
  if (!batch) return PF_Err_BAD_CALLBACK_PARAM;
  if (add) {
    int index = S().project().MaskIndexById(batch->mask_id);
    if (index >= 0) {
      S().WillChange(UndoHistory::ModelPart());
      Mask &mask = S().project().layer.masks[std::size_t(index)];
      for (std::size_t i = 0; i < batch->keys.size(); ++i) {
        if (batch->set[i]) mask.outline.keys.SetFrom(batch->keys, i);
      }
      mask.outline.Changed();
    }
  }
  S().handles().Release(batch_h, HandleKind::KeyframeBatch, "AEGP_EndAddKeyframes");
  return A_Err_NONE;
}

// A batch whose end fails is still released, but its keys are not added.
A_Err EndAddKeyframes(A_Boolean add, AEGP_AddKeyframesInfoH batch) {
  PF_Err planned =
      S().trace().Enter(HostFunction{"AEGP_EndAddKeyframes", kGivesBack}, add, H(batch));
  A_Err err = EndBatch(planned ? FALSE : add, batch);
  return planned ? planned : err;
}

const AEGP_KeyframeSuite4 kKeyframeSuite4 = {Traced<StartAddKeyframes>, Traced<AddKeyframes>,
                                             Traced<SetAddKeyframe>, Traced<EndAddKeyframes>};

PF_Err InfoDrawText(const A_char *line1, const A_char *line2) {
  ORVANE_HOST_ENTER("PF_InfoDrawText", line1, line2);
  S().project().info.Show(S().ModuleText(line1, "the Info text"),
                          S().ModuleText(line2, "the Info text"));
  return PF_Err_NONE;
}

const PF_AdvAppSuite2 kAdvAppSuite2 = {Traced<InfoDrawText>};

}  // namespace

void ProvideCompSuites(SuiteRegistry &registry) {
  registry.Provide(kAEGPCompSuite, kAEGPCompSuiteVersion18, &kCompSuite18);
  registry.Provide(kAEGPKeyframeSuite, kAEGPKeyframeSuiteVersion4, &kKeyframeSuite4);
  registry.Provide(kPFAdvAppSuite, kPFAdvAppSuiteVersion2, &kAdvAppSuite2);
}

}  // namespace orvane::host
