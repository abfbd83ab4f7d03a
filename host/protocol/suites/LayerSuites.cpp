// Suites that reach the effect's layer, its masks and the effect itself.
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "protocol/HandleObjects.h"
#include "protocol/Suites.h"
#include "protocol/suites/SuiteHelpers.h"

namespace orvane::host {

namespace {

Session &S() { return Session::Current(); }

bool IsLayer(AEGP_LayerH layer, const char *function) {
  if (layer == LayerToken(S())) return true;
  S().problems().push_back(std::string(function) + ": not the effect's layer");
  return false;
}

bool IsEffectRef(PF_ProgPtr ref, const char *function) {
  if (S().IsEffectRef(ref)) return true;
  S().problems().push_back(std::string(function) + ": unknown effect reference");
  return false;
}

A_Err GetEffectLayer(PF_ProgPtr effect_ref, AEGP_LayerH *layer) {
  ORVANE_HOST_ENTER("AEGP_GetEffectLayer", effect_ref);
  if (!IsEffectRef(effect_ref, "AEGP_GetEffectLayer") || !layer) return PF_Err_BAD_CALLBACK_PARAM;
  *layer = LayerToken(S());
  return A_Err_NONE;
}

A_Err GetNewEffectForEffect(AEGP_PluginID plugin_id, PF_ProgPtr effect_ref,
                            AEGP_EffectRefH *effect) {
  ORVANE_HOST_ENTER("AEGP_GetNewEffectForEffect", plugin_id, effect_ref);
  if (!KnownPlugin(S(), plugin_id, "AEGP_GetNewEffectForEffect") ||
      !IsEffectRef(effect_ref, "AEGP_GetNewEffectForEffect") || !effect) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *effect = S().handles().Make<EffectObject>(HandleKind::Effect)->handle<AEGP_EffectRefH>();
  return A_Err_NONE;
}

const AEGP_PFInterfaceSuite1 kPFInterfaceSuite1 = {Traced<GetEffectLayer>,
                                                   Traced<GetNewEffectForEffect>};

A_Err GetLayerParentComp(AEGP_LayerH layer, AEGP_CompH *comp) {
  ORVANE_HOST_ENTER("AEGP_GetLayerParentComp", layer);
  if (!IsLayer(layer, "AEGP_GetLayerParentComp") || !comp) return PF_Err_BAD_CALLBACK_PARAM;
  *comp = CompToken(S());
  return A_Err_NONE;
}

const AEGP_LayerSuite13 kLayerSuite13 = {Traced<GetLayerParentComp>};

A_Err DisposeEffect(AEGP_EffectRefH effect) {
  ORVANE_HOST_RELEASE(
      "AEGP_DisposeEffect",
      ReleaseResult(S().handles().Release(effect, HandleKind::Effect, "AEGP_DisposeEffect")),
      H(effect));
}

const AEGP_EffectSuite2 kEffectSuite2 = {Traced<DisposeEffect>};
const AEGP_EffectSuite3 kEffectSuite3 = {Traced<DisposeEffect>};

A_Err GetLayerNumMasks(AEGP_LayerH layer, A_long *count) {
  ORVANE_HOST_ENTER("AEGP_GetLayerNumMasks", layer);
  if (!IsLayer(layer, "AEGP_GetLayerNumMasks") || !count) return PF_Err_BAD_CALLBACK_PARAM;
  *count = A_long(S().project().layer.masks.size());
  return A_Err_NONE;
}

A_Err GetLayerMaskByIndex(AEGP_LayerH layer, A_long index, AEGP_MaskRefH *mask) {
  ORVANE_HOST_ENTER("AEGP_GetLayerMaskByIndex", layer, index);
  if (!IsLayer(layer, "AEGP_GetLayerMaskByIndex") || !mask) return PF_Err_BAD_CALLBACK_PARAM;
  const auto &masks = S().project().layer.masks;
  if (index < 0 || std::size_t(index) >= masks.size()) return PF_Err_INVALID_INDEX;
  auto *object = S().handles().Make<MaskObject>(HandleKind::Mask);
  object->mask_id = masks[std::size_t(index)].id;
  object->index = index;
  *mask = object->handle<AEGP_MaskRefH>();
  return A_Err_NONE;
}

A_Err DisposeMask(AEGP_MaskRefH mask) {
  ORVANE_HOST_RELEASE(
      "AEGP_DisposeMask",
      ReleaseResult(S().handles().Release(mask, HandleKind::Mask, "AEGP_DisposeMask")), H(mask));
}

A_Err GetMaskColor(AEGP_MaskRefH ref, AEGP_ColorVal *color) {
  ORVANE_HOST_ENTER("AEGP_GetMaskColor", H(ref));
  Mask *mask = MaskOf(S(), ref, "AEGP_GetMaskColor");
  if (!mask || !color) return PF_Err_BAD_CALLBACK_PARAM;
  *color = mask->color;
  return A_Err_NONE;
}

A_Err SetMaskColor(AEGP_MaskRefH ref, const AEGP_ColorVal *color) {
  ORVANE_HOST_ENTER("AEGP_SetMaskColor", H(ref), In(color));
  Mask *mask = MaskOf(S(), ref, "AEGP_SetMaskColor");
  if (!mask || !color) return PF_Err_BAD_CALLBACK_PARAM;
  S().WillChange(UndoHistory::ModelPart());
  mask->color = *color;
  return A_Err_NONE;
}

A_Err GetMaskID(AEGP_MaskRefH ref, AEGP_MaskIDVal *id) {
  ORVANE_HOST_ENTER("AEGP_GetMaskID", H(ref));
  Mask *mask = MaskOf(S(), ref, "AEGP_GetMaskID");
  if (!mask || !id) return PF_Err_BAD_CALLBACK_PARAM;
  *id = mask->id;
  return A_Err_NONE;
}

A_Err CreateNewMask(AEGP_LayerH layer_h, AEGP_MaskRefH *mask_ref, A_long *index) {
  ORVANE_HOST_ENTER("AEGP_CreateNewMask", layer_h);
  if (!IsLayer(layer_h, "AEGP_CreateNewMask") || !mask_ref) return PF_Err_BAD_CALLBACK_PARAM;
  S().WillChange(UndoHistory::ModelPart());
  Layer &layer = S().project().layer;
  const Mask mask = layer.NewMask();
  layer.masks.push_back(mask);
  auto *object = S().handles().Make<MaskObject>(HandleKind::Mask);
  object->mask_id = mask.id;
  object->index = int(layer.masks.size() - 1);
  *mask_ref = object->handle<AEGP_MaskRefH>();
  if (index) *index = A_long(layer.masks.size() - 1);
  return A_Err_NONE;
}

const AEGP_LayerMaskSuite5 kLayerMaskSuite5 = {Traced<GetLayerNumMasks>,
                                               Traced<GetLayerMaskByIndex>, Traced<DisposeMask>};
const AEGP_LayerMaskSuite6 kLayerMaskSuite6 = {
    Traced<GetLayerNumMasks>, Traced<GetLayerMaskByIndex>, Traced<DisposeMask>,
    Traced<GetMaskColor>,     Traced<SetMaskColor>,        Traced<GetMaskID>,
    Traced<CreateNewMask>};

PF_Err NumPaths(PF_ProgPtr effect_ref, A_long *count) {
  ORVANE_HOST_ENTER("PF_NumPaths", effect_ref);
  if (!IsEffectRef(effect_ref, "PF_NumPaths") || !count) return PF_Err_BAD_CALLBACK_PARAM;
  *count = A_long(S().project().layer.masks.size());
  return PF_Err_NONE;
}

// A mask's path id is its mask id: what a path parameter holds names the same mask.
PF_Err PathInfo(PF_ProgPtr effect_ref, A_long index, PF_PathID *id) {
  ORVANE_HOST_ENTER("PF_PathInfo", effect_ref, index);
  if (!IsEffectRef(effect_ref, "PF_PathInfo") || !id) return PF_Err_BAD_CALLBACK_PARAM;
  const auto &masks = S().project().layer.masks;
  if (index < 0 || std::size_t(index) >= masks.size()) return PF_Err_INVALID_INDEX;
  *id = masks[std::size_t(index)].id;
  return PF_Err_NONE;
}

const PF_PathQuerySuite1 kPathQuerySuite1 = {Traced<NumPaths>, Traced<PathInfo>};

}  // namespace

void ProvideLayerSuites(SuiteRegistry &registry) {
  registry.Provide(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPFInterfaceSuite1);
  registry.Provide(kAEGPLayerSuite, kAEGPLayerSuiteVersion13, &kLayerSuite13);
  registry.Provide(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffectSuite2);
  registry.Provide(kAEGPEffectSuite, kAEGPEffectSuiteVersion3, &kEffectSuite3);
  registry.Provide(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion5, &kLayerMaskSuite5);
  registry.Provide(kAEGPLayerMaskSuite, kAEGPLayerMaskSuiteVersion6, &kLayerMaskSuite6);
  registry.Provide(kPFPathQuerySuite, kPFPathQuerySuiteVersion1, &kPathQuerySuite1);
}

}  // namespace orvane::host
