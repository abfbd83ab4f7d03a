#include "scenario/StepSummary.h"

#include <algorithm>

#include "report/ValueJson.h"

namespace orvane::host {

ProjectSnapshot::ProjectSnapshot(const Project &p) {
  const double t = p.LayerTime(p.time);
  for (const EffectParam &param : p.effect.params) {
    values.push_back(param.has_stream() ? ParamValueJson(param, param.KeyedAt(t)) : Json(nullptr));
  }
  for (const Mask &m : p.layer.masks) {
    masks.emplace_back(m.id, m.outline.keys.size());
    std::vector<double> flat;
    for (const auto &v : m.outline.At(t).vertices) flat.insert(flat.end(), {v.x, v.y});
    outlines.push_back(flat);
  }
  undo = p.undo.size();
}

namespace {

std::string Short(const Json &v) {
  std::string text = v.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

void Summarize(const ProjectSnapshot &before, const Project &p,
               const std::vector<CommandRecord> &commands, std::vector<std::string> &out) {
  const ProjectSnapshot after(p);
  std::size_t shown = 0;
  // A freshly applied effect changes every parameter; its own step line says so.
  for (std::size_t i = 0; i < after.values.size() && !before.values.empty(); ++i) {
    if (i < before.values.size() && before.values[i] == after.values[i]) continue;
    if (++shown <= 4) out.push_back(p.effect.params[i].name + " " + Short(after.values[i]));
  }
  if (shown > 4) out.push_back("and " + std::to_string(shown - 4) + " more parameters");
  if (after.masks.size() > before.masks.size())
    out.push_back(std::to_string(after.masks.size() - before.masks.size()) + " mask(s) added");
  if (after.masks.size() < before.masks.size())
    out.push_back(std::to_string(before.masks.size() - after.masks.size()) + " mask(s) removed");
  std::size_t moved = 0, keys = 0;
  for (std::size_t i = 0; i < after.masks.size() && i < before.masks.size(); ++i) {
    if (after.masks[i].first != before.masks[i].first) continue;
    moved += after.outlines[i] != before.outlines[i];
    keys += after.masks[i].second - std::min(after.masks[i].second, before.masks[i].second);
  }
  if (moved) out.push_back(std::to_string(moved) + " mask(s) reshaped");
  if (keys) out.push_back(std::to_string(keys) + " keyframes added");
  // Entries a render made are left out: an effect that keeps the project in step with its
  // parameters may make one at every frame, and those would drown the rest.
  const auto entries = p.undo.entries();
  std::size_t next = before.undo;
  for (const CommandRecord &c : commands) {
    const bool render = c.cmd == PF_Cmd_SMART_PRE_RENDER || c.cmd == PF_Cmd_SMART_RENDER;
    for (std::size_t i = 0; i < c.undo_entries && next < entries.size(); ++i, ++next) {
      if (!render) out.push_back("undo \"" + entries[next] + "\"");
    }
  }
}

}  // namespace

void SummarizeStep(const ProjectSnapshot &before, const Project &p, StepRecord &record) {
  Summarize(before, p, record.commands, record.changes);
}

}  // namespace orvane::host
