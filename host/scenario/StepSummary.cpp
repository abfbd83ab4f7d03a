#include "scenario/StepSummary.h"

#include <algorithm>

#include "report/ValueJson.h"

namespace orvane::host {

namespace {

std::string Short(const Json &v) {
  std::string text = v.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

bool Same(const StreamValue &a, const StreamValue &b) {
  return std::equal(std::begin(a.v), std::end(a.v), std::begin(b.v));
}

std::vector<double> Flat(const Outline &o) {
  std::vector<double> flat;
  flat.reserve(o.vertices.size() * 2);
  for (const auto &v : o.vertices) flat.insert(flat.end(), {v.x, v.y});
  return flat;
}

}  // namespace

void StepSummary::Begin(const Project &p) {
  const double t = p.LayerTime(p.time);
  values_.clear();
  for (const EffectParam &param : p.effect.params)
    values_.push_back(param.has_stream() ? param.KeyedAt(t) : StreamValue());
  masks_ = p.layer.masks.size();
  undo_ = p.undo.size();
  time_ = p.time;
}

void StepSummary::Finish(const Project &p, StepRecord &record) {
  std::vector<std::string> &out = record.changes;
  const double t = p.LayerTime(p.time);
  std::size_t shown = 0;
  // A freshly applied effect changes every parameter; its own step line says so.
  const auto &params = p.effect.params;
  for (std::size_t i = 0; i < params.size() && !values_.empty(); ++i) {
    if (!params[i].has_stream()) continue;
    const StreamValue now = params[i].KeyedAt(t);
    if (i < values_.size() && Same(values_[i], now)) continue;
    if (++shown <= 4) out.push_back(params[i].name + " " + Short(ParamValueJson(params[i], now)));
  }
  if (shown > 4) out.push_back("and " + std::to_string(shown - 4) + " more parameters");
  const std::size_t masks = p.layer.masks.size();
  if (masks > masks_) out.push_back(std::to_string(masks - masks_) + " mask(s) added");
  if (masks < masks_) out.push_back(std::to_string(masks_ - masks) + " mask(s) removed");

  std::size_t moved = 0, keys = 0;
  for (auto &entry : seen_) entry.second.seen = false;
  for (const Mask &m : p.layer.masks) {
    auto [it, added] = seen_.try_emplace(m.id);
    MaskSeen &s = it->second;
    s.seen = true;
    const std::size_t key_count = m.outline.keys.size();
    const bool look =
        added || s.revision != m.outline.revision || (key_count > 0 && p.time != time_);
    if (!look) continue;
    std::vector<double> now = Flat(m.outline.At(t));
    if (!added) {
      moved += now != s.outline;
      keys += key_count - std::min(key_count, s.keys);
    }
    s.outline = std::move(now);
    s.revision = m.outline.revision;
    s.keys = key_count;
  }
  for (auto it = seen_.begin(); it != seen_.end();)
    it = it->second.seen ? std::next(it) : seen_.erase(it);
  if (moved) out.push_back(std::to_string(moved) + " mask(s) reshaped");
  if (keys) out.push_back(std::to_string(keys) + " keyframes added");

  // Entries a render made are left out: an effect that keeps the project in step with its
  // parameters may make one at every frame, and those would drown the rest.
  const auto entries = p.undo.entries();
  std::size_t next = undo_;
  for (const CommandRecord &c : record.commands) {
    const bool render = c.cmd == PF_Cmd_SMART_PRE_RENDER || c.cmd == PF_Cmd_SMART_RENDER;
    for (std::size_t i = 0; i < c.undo_entries && next < entries.size(); ++i, ++next) {
      if (!render) out.push_back("undo \"" + entries[next] + "\"");
    }
  }
}

}  // namespace orvane::host
