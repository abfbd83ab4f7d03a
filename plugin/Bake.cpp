// The bake: one mask-shape keyframe per frame of the work area for every linked slot, with
// progress in the Info panel, as one undo entry; it ends by clearing "On" so the live update
// stops overwriting the keys.
#include <algorithm>
#include <array>
#include <cmath>

#include "AE_EffectCB.h"
#include "BooleanValues.h"
#include "CreateRect.h"
#include "MaskCommands.h"
#include "Params.h"

namespace Orvane {

namespace {

// Frames beyond this are taken as a host reporting nonsense rather than a real work area.
constexpr double kMaxFrames = 1e7;

struct WorkArea {
  A_Time start{0, 1};
  A_long frames = 0;
  double rate = 1.0;
  // The key time of frame i, computed from i so that no frame repeats and none is skipped.
  A_Time KeyTime(A_long i) const {
    return A_Time{start.value + A_long(std::llround(double(i) * start.scale / rate)), start.scale};
  }
};

// Reads the work area and frame rate; a rate or duration that is not a positive finite number
// is an error, before anything is opened.
WorkArea ReadWorkArea(MaskCommand &c, AEGP_CompH comp) {
  auto &s = c.suites;
  WorkArea area;
  A_Time duration{0, 1};
  c.err.Do([&] { return s.CompSuite18()->AEGP_GetCompWorkAreaStart(comp, &area.start); });
  c.err.Do([&] { return s.CompSuite18()->AEGP_GetCompWorkAreaDuration(comp, &duration); });
  c.err.Do([&] { return s.CompSuite18()->AEGP_GetCompFramerate(comp, &area.rate); });
  if (!c.err.ok()) return area;
  const double seconds = duration.scale ? double(duration.value) / double(duration.scale) : 0.0;
  const double frames = std::round(seconds * area.rate);
  if (!(area.rate > 0) || !std::isfinite(area.rate) || !(seconds > 0) || !std::isfinite(seconds) ||
      area.start.scale == 0 || !(frames <= kMaxFrames)) {
    c.err.Do([] { return A_Err(PF_Err_BAD_CALLBACK_PARAM); });
    return area;
  }
  area.frames = std::max<A_long>(1, A_long(frames));
  return area;
}

// One slot taking part in the bake, and every handle the bake holds for it. The destructor of
// the table releases them in order (slot streams, then outline stream and mask) and ends any
// keyframe batch that was not committed without adding its keys.
struct BakeSlot {
  bool active = false;
  A_long mask_index = -1;
  A_long vertices = 0;  // vertices the outline has: only these are written
  AEGP_MaskRefH mask = nullptr;
  AEGP_StreamRefH outline = nullptr;
  std::array<AEGP_StreamRefH, 4> slot_streams{};  // centre, width, height, angle
  AEGP_AddKeyframesInfoH batch = nullptr;
};

class BakeTable {
 public:
  BakeTable(MaskCommand &c, int size) : c_(c), size_(size) {}
  ~BakeTable() {
    for (int j = 0; j < size_; ++j) {
      if (slots_[std::size_t(j)].batch)
        Release([&] {
          return s().KeyframeSuite4()->AEGP_EndAddKeyframes(FALSE, slots_[std::size_t(j)].batch);
        });
    }
    for (int j = 0; j < size_; ++j) {
      for (AEGP_StreamRefH stream : slots_[std::size_t(j)].slot_streams) {
        if (stream) Release([&] { return s().StreamSuite9()->AEGP_DisposeStream(stream); });
      }
    }
    for (int j = 0; j < size_; ++j) {
      BakeSlot &slot = slots_[std::size_t(j)];
      if (slot.outline)
        Release([&] { return s().StreamSuite9()->AEGP_DisposeStream(slot.outline); });
      if (slot.mask) Release([&] { return s().LayerMaskSuite5()->AEGP_DisposeMask(slot.mask); });
    }
  }
  BakeTable(const BakeTable &) = delete;
  BakeTable &operator=(const BakeTable &) = delete;

  BakeSlot &operator[](int j) { return slots_[std::size_t(j)]; }
  int size() const { return size_; }

  // Adds the collected keys of every batch; only while nothing has failed.
  void CommitBatches() {
    for (int j = 0; j < size_ && c_.err.ok(); ++j) {
      BakeSlot &slot = slots_[std::size_t(j)];
      if (!slot.batch) continue;
      AEGP_AddKeyframesInfoH batch = slot.batch;
      slot.batch = nullptr;
      c_.err.Do([&] { return s().KeyframeSuite4()->AEGP_EndAddKeyframes(TRUE, batch); });
    }
  }

 private:
  AEGP_SuiteHandler &s() { return c_.suites; }
  template <typename Call>
  void Release(Call call) {
    try {
      c_.err.Released(call());
    } catch (A_Err err) {
      c_.err.Released(err);
    }
  }

  MaskCommand &c_;
  int size_;
  std::array<BakeSlot, SLOT_COUNT> slots_{};
};

void DrawInfo(MaskCommand &c, const char *line1) {
  c.err.Do([&] { return c.suites.AdvAppSuite2()->PF_InfoDrawText(line1, ""); });
}

// Opens each active slot's mask and outline stream and drops the slots whose outline is open
// with other than four segments.
void OpenMasks(MaskCommand &c, const ChangeTarget &t, BakeTable &table) {
  auto &s = c.suites;
  for (int j = 0; j < table.size(); ++j) {
    BakeSlot &slot = table[j];
    if (!slot.active) continue;
    auto value = OwnValue(c.err, c.DisposeStreamValue());
    A_long segments = 0;
    A_Boolean open = TRUE;
    c.err.Do([&] {
      return s.LayerMaskSuite5()->AEGP_GetLayerMaskByIndex(t.layer, slot.mask_index, &slot.mask);
    });
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_GetNewMaskStream(c.plugin_id, slot.mask,
                                                     AEGP_MaskStream_OUTLINE, &slot.outline);
    });
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_GetNewStreamValue(
          c.plugin_id, slot.outline, AEGP_LTimeMode_LayerTime, &c.now, TRUE, value.out());
    });
    c.err.Do([&] {
      return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineNumSegments(value.get().val.mask, &segments);
    });
    c.err.Do(
        [&] { return s.MaskOutlineSuite3()->AEGP_IsMaskOutlineOpen(value.get().val.mask, &open); });
    if (segments != 4 && open) slot.active = false;
    slot.vertices = open ? segments + 1 : segments;
  }
}

// One keyframe on slot j's outline at `time`: the rectangle of the slot's values at that time.
void KeyFrame(MaskCommand &c, BakeSlot &slot, const A_Time &time) {
  auto &s = c.suites;
  std::array<AEGP_StreamValue2, 4> values{};
  for (std::size_t k = 0; k < 4; ++k) {
    c.err.Do([&] {
      return s.StreamSuite9()->AEGP_GetNewStreamValue(
          c.plugin_id, slot.slot_streams[k], AEGP_LTimeMode_CompTime, &time, FALSE, &values[k]);
    });
  }
  // The values are used as the host gives them: full-resolution pixels and degrees.
  const RectangleCreator rect(Vector<double>(values[0].val.two_d.x, values[0].val.two_d.y),
                              values[1].val.one_d, values[2].val.one_d, values[3].val.one_d);
  const std::array<Vector<double>, 4> corners = rect.Create();

  auto outline = OwnValue(c.err, c.DisposeStreamValue());
  AEGP_KeyframeIndex key = 0;
  c.err.Do([&] {
    return s.StreamSuite9()->AEGP_GetNewStreamValue(
        c.plugin_id, slot.outline, AEGP_LTimeMode_CompTime, &time, FALSE, outline.out());
  });
  c.err.Do([&] {
    return s.KeyframeSuite4()->AEGP_AddKeyframes(slot.batch, AEGP_LTimeMode_CompTime, &time, &key);
  });
  const A_long count = std::min<A_long>(4, slot.vertices);
  for (AEGP_VertexIndex i = 0; i < count; ++i) {
    AEGP_MaskVertex vertex{};
    c.err.Do([&] {
      return s.MaskOutlineSuite3()->AEGP_GetMaskOutlineVertexInfo(outline.get().val.mask, i,
                                                                  &vertex);
    });
    vertex.x = corners[std::size_t(i)].x;
    vertex.y = corners[std::size_t(i)].y;
    c.err.Do([&] {
      return s.MaskOutlineSuite3()->AEGP_SetMaskOutlineVertexInfo(outline.get().val.mask, i,
                                                                  &vertex);
    });
  }
  c.err.Do(
      [&] { return s.KeyframeSuite4()->AEGP_SetAddKeyframe(slot.batch, key, &outline.get()); });
  outline.reset();
  for (AEGP_StreamValue2 &value : values) {
    if (value.streamH) c.err.Released(s.StreamSuite9()->AEGP_DisposeStreamValue(&value));
  }
}

}  // namespace

void BakeMasks(MaskCommand &c, const ChangeTarget &t, PF_ParamDef *params[]) {
  auto &s = c.suites;
  const WorkArea area = ReadWorkArea(c, t.comp);
  if (!c.err.ok()) return;

  UndoGroup undo(c, "Bake Masks");
  const int size = ClampSlotCount(params[PARAM_NUMBER]->u.sd.value);
  {
    BakeTable table(c, size);
    const PathToMaskMap map = BuildPathMap(c, t.layer, MaskSuite::V5);
    for (int j = 0; j < size; ++j) {
      const PF_PathID path = params[PARAM_MASK_PATH(j)]->u.path_d.path_id;
      auto linked = map.find(path);
      table[j].active = path != 0 && linked != map.end();
      if (table[j].active) table[j].mask_index = linked->second;
    }
    OpenMasks(c, t, table);
    // Streams of every slot in use, linked or not, as the keys read the rectangle through them.
    for (int j = 0; j < size; ++j) {
      for (PF_ParamIndex k = 0; k < 4; ++k) {
        c.err.Do([&] {
          return s.StreamSuite9()->AEGP_GetNewEffectStreamByIndex(
              c.plugin_id, t.effect, PARAM_CENTER(j) + k, &table[j].slot_streams[std::size_t(k)]);
        });
      }
    }
    for (int j = 0; j < size; ++j) {
      if (table[j].active)
        c.err.Do([&] {
          return s.KeyframeSuite4()->AEGP_StartAddKeyframes(table[j].outline, &table[j].batch);
        });
    }

    char line[PF_MAX_EFFECT_MSG_LEN + 1] = {0};
    for (A_long i = 0; i < area.frames && c.err.ok(); ++i) {
      const double percent = area.frames == 1 ? 100.0 : double(i) / double(area.frames - 1) * 100.0;
      c.in_data->utils->ansi.sprintf(line, "Processing... %.2f%%", percent);
      DrawInfo(c, line);
      const A_Time time = area.KeyTime(i);
      for (int j = 0; j < size; ++j) {
        if (table[j].active) KeyFrame(c, table[j], time);
      }
    }
    table.CommitBatches();
    DrawInfo(c, "Completed");
  }  // the table releases its streams and masks here; clearing "On" is the last change
  ParameterWrite(c, t.effect, PARAM_ON, [](AEGP_StreamVal2 &v) { v.one_d = 0.0; });
  undo.End();
}

}  // namespace Orvane
