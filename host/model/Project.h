// The project the host keeps: one composition, one layer with its masks, the effect instance
// with its parameter streams, the undo history and the Info panel. Times are in seconds;
// layer time is composition time minus the layer's start.
#pragma once

#include <cmath>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "AE_GeneralPlug.h"
#include "model/Animation.h"
#include "model/InfoPanel.h"
#include "model/UndoHistory.h"

namespace orvane::host {

struct Mask {
  AEGP_MaskIDVal id = 0;
  AEGP_ColorVal color{};
  Animatable<Outline> outline;
  std::optional<OutlineExpression> expression;
  // The outline at a layer time: keyframed, or with the expression applied as the user sees it.
  Outline At(double t, bool pre_expression) const {
    return expression && !pre_expression ? expression->Apply(outline.At(t)) : outline.At(t);
  }
};

// The i-th colour of the palette new masks cycle through.
const AEGP_ColorVal &PaletteColor(std::size_t i);

struct Composition {
  A_long width = 1920;
  A_long height = 1080;
  double fps = 30;
  A_u_long time_scale = 30;
  double duration = 10;
  double work_start = 0;
  double work_duration = 10;
};

struct Transform {
  double position[2] = {960, 540};
  double anchor[2] = {960, 540};
  double scale[2] = {100, 100};  // percent
  double rotation = 0;           // degrees, clockwise on screen
};

// Keyframes of the layer's transform, in layer time: position and anchor as x, y in v[0], v[1];
// scale in percent likewise; rotation in degrees in v[0].
struct TransformKeys {
  Animatable<StreamValue> position, anchor, scale, rotation;
};

struct Layer {
  A_long width = 1920;
  A_long height = 1080;
  double start = 0;      // composition time at which layer time 0 falls
  double stretch = 100;  // percent: at 200 the layer's time runs at half the composition's speed
  Transform transform;   // the static transform; keyframed components override it
  TransformKeys transform_keys;
  Transform TransformAt(double layer_time) const;
  std::vector<Mask> masks;
  // A mask the user or a plug-in adds: the next id, and the next colour of the palette the
  // application cycles through.
  Mask NewMask();
  // The next mask id alone, for a mask made some other way.
  AEGP_MaskIDVal TakeMaskId() { return next_mask_id_++; }
  // What the next new mask gets, as a saved project keeps it.
  AEGP_MaskIDVal next_mask_id() const { return next_mask_id_; }
  std::size_t next_palette() const { return next_color_; }
  void SetNext(AEGP_MaskIDVal id, std::size_t palette) {
    next_mask_id_ = id;
    next_color_ = palette;
  }
  // What comes next is the layer's too: undoing a new mask gives its id and colour back.
  friend bool operator==(const Layer &a, const Layer &b);

 private:
  AEGP_MaskIDVal next_mask_id_ = 1;
  std::size_t next_color_ = 0;
};

struct EffectParam {
  PF_ParamDef def{};  // as registered; its text pointers point into the strings below
  std::string name;
  std::string text;  // button or checkbox text
  Animatable<StreamValue> stream;
  // An expression, modelled as a fixed offset added to the keyframed value.
  std::optional<StreamValue> expression;
  bool hidden = false;
  // Whether the Effect Controls panel shows it: the hidden flag as it was when the panel was
  // last drawn, which the application does only when the module asks.
  bool shown = true;
  // The value at a layer time: keyframed, or with the expression applied as the user sees it.
  StreamValue At(double t, bool pre_expression) const;
  // The keyframed value alone, blended or held between keys as the parameter's type is.
  StreamValue KeyedAt(double t) const;
  // Groups, buttons and the input layer hold no value.
  bool has_stream() const;
};

struct EffectInstance {
  bool applied = false;
  std::vector<EffectParam> params;  // index 0 is the input layer
  bool ui_registered = false;
  PF_CustomUIInfo ui{};
  int FindParam(const std::string &name) const;
};

// What the user's undo history takes back and what a saved project keeps: the composition, the
// layer with its masks, and the effect with its parameters, keys, expressions and flags.
struct ProjectModel {
  Composition comp;
  Layer layer;
  EffectInstance effect;
};
// Equal to the last bit of every value, key and flag; the text pointers a definition carries
// while handed over are not part of it.
bool operator==(const ProjectModel &a, const ProjectModel &b);
inline bool operator!=(const ProjectModel &a, const ProjectModel &b) { return !(a == b); }
// The same, part by part: what the undo history keeps of an entry is the parts that differ.
bool SameComposition(const Composition &a, const Composition &b);
bool SameMask(const Mask &a, const Mask &b);
bool SameParam(const EffectParam &a, const EffectParam &b);
// An effect's own settings (applied, its custom UI), not its parameters.
bool SameEffectSettings(const EffectInstance &a, const EffectInstance &b);

// The model with what the application keeps beside it: the undo history, the Info panel and
// the current time, none of which an undo takes back.
struct Project : ProjectModel {
  UndoHistory undo;
  InfoPanel info;
  double time = 0;  // composition time, seconds

  double LayerTime(double comp_time) const {
    return (comp_time - layer.start) * 100.0 / layer.stretch;
  }
  double CompTime(double layer_time) const {
    return layer.start + layer_time * layer.stretch / 100.0;
  }
  // The frame of the layer a window shows at a composition time.
  long LayerFrame(double comp_time) const { return std::lround(LayerTime(comp_time) * comp.fps); }
  // Index of the mask with this id, or -1.
  int MaskIndexById(AEGP_MaskIDVal id) const;
  // Called by whatever is about to make an undoable change to the model.
  void WillChange(UndoHistory::Part part = {}) { undo.WillChange(*this, part); }
};

}  // namespace orvane::host
