#include "model/UndoHistory.h"

#include <optional>
#include <utility>

#include "model/Project.h"

namespace orvane::host {

namespace {

// A layer's own settings without its masks, which an entry keeps one by one.
Layer Settings(const Layer &layer) {
  Layer out = layer;
  out.masks.clear();
  return out;
}

}  // namespace

// The model as an entry found it: everything but the parameters from its first change on, and
// each parameter from the first change to it (all of them after a change to anything).
struct UndoHistory::Kept {
  ProjectModel model;  // its effect's parameter list empty, unless all_params
  std::size_t param_count = 0;
  bool all_params = false;
  std::vector<std::pair<std::size_t, EffectParam>> params;  // when not all, in the order kept

  explicit Kept(const ProjectModel &now) : param_count(now.effect.params.size()) {
    model.comp = now.comp;
    model.layer = now.layer;
    model.effect.applied = now.effect.applied;
    model.effect.ui_registered = now.effect.ui_registered;
    model.effect.ui = now.effect.ui;
  }
  void Add(const ProjectModel &now, Part part) {
    if (all_params || part.kind == Part::Model) return;
    const auto &list = now.effect.params;
    if (part.kind == Part::Anything || list.size() != param_count) {
      // Every parameter as it was: those kept already, the others as they are now.
      model.effect.params = list;
      for (auto &[i, param] : params) {
        if (i < model.effect.params.size()) model.effect.params[i] = std::move(param);
      }
      params.clear();
      all_params = true;
      return;
    }
    for (const auto &[i, param] : params) {
      if (i == part.param) return;
    }
    if (part.param < list.size()) params.emplace_back(part.param, list[part.param]);
  }
};

// What an entry changed: each part of the model that differs between before and after, as it is
// not in the project now. Swapping them with the project's goes back or forth across the entry.
struct UndoHistory::Change {
  std::optional<Composition> comp;
  std::optional<Layer> layer;              // settings only; masks below
  std::optional<std::vector<Mask>> masks;  // all of them, when masks came or went
  std::vector<std::pair<std::size_t, Mask>> mask_at;
  std::optional<EffectInstance> effect;            // settings only; parameters below
  std::optional<std::vector<EffectParam>> params;  // all of them, when the list changed
  std::vector<std::pair<std::size_t, EffectParam>> param_at;

  // The parts of `kept` (which is used up) that differ from `now`.
  Change(Kept &&kept, const ProjectModel &now) {
    ProjectModel &before = kept.model;
    if (!SameComposition(before.comp, now.comp)) comp = before.comp;
    std::vector<Mask> old_masks = std::move(before.layer.masks);
    if (!(before.layer == Settings(now.layer))) layer = std::move(before.layer);
    const auto &masks_now = now.layer.masks;
    bool same_list = old_masks.size() == masks_now.size();
    for (std::size_t i = 0; same_list && i < old_masks.size(); ++i)
      same_list = old_masks[i].id == masks_now[i].id;
    if (!same_list) {
      masks = std::move(old_masks);
    } else {
      for (std::size_t i = 0; i < old_masks.size(); ++i) {
        if (!SameMask(old_masks[i], masks_now[i])) mask_at.emplace_back(i, std::move(old_masks[i]));
      }
    }
    std::vector<EffectParam> old_params = std::move(before.effect.params);
    if (!SameEffectSettings(before.effect, now.effect)) effect = std::move(before.effect);
    const auto &params_now = now.effect.params;
    if (!kept.all_params) {
      // Only the parameters changed since the entry began were kept, and the list is as long as
      // it was (a list that grows or shrinks keeps them all).
      for (auto &[i, param] : kept.params) {
        if (i < params_now.size() && !SameParam(param, params_now[i]))
          param_at.emplace_back(i, std::move(param));
      }
    } else if (old_params.size() != params_now.size()) {
      params = std::move(old_params);
    } else {
      for (std::size_t i = 0; i < old_params.size(); ++i) {
        if (!SameParam(old_params[i], params_now[i]))
          param_at.emplace_back(i, std::move(old_params[i]));
      }
    }
  }
  bool empty() const {
    return !comp && !layer && !masks && mask_at.empty() && !effect && !params && param_at.empty();
  }
  void SwapWith(ProjectModel &p) {
    if (comp) std::swap(*comp, p.comp);
    if (layer) {
      std::vector<Mask> kept = std::move(p.layer.masks);
      std::swap(*layer, p.layer);
      p.layer.masks = std::move(kept);
    }
    if (masks) std::swap(*masks, p.layer.masks);
    for (auto &[i, mask] : mask_at) std::swap(mask, p.layer.masks[i]);
    if (effect) {
      std::vector<EffectParam> kept = std::move(p.effect.params);
      std::swap(*effect, p.effect);
      p.effect.params = std::move(kept);
    }
    if (params) std::swap(*params, p.effect.params);
    for (auto &[i, param] : param_at) std::swap(param, p.effect.params[i]);
  }
};

UndoHistory::Owner UndoHistory::CurrentOwner() const {
  if (!open_.empty()) return action_ && spans_groups_ ? Owner::Action : Owner::Group;
  if (action_ && joins_action_) return Owner::Action;
  return Owner::Call;
}

void UndoHistory::StartGroup(const std::string &name, const ProjectModel &now) {
  if (!open_.empty()) {
    problems_.push_back("undo group nested in \"" + open_.back() + "\"");
  } else if (action_ && spans_groups_) {
    group_joined_ = false;
  } else if (pending_) {
    // What the user's action changed so far is its own entry; the group is the next.
    Close(now);
  }
  open_.push_back(name);
}

bool UndoHistory::EndGroup(const ProjectModel &now) {
  if (open_.empty()) {
    problems_.push_back("undo group ended that was never started");
    return false;
  }
  if (open_.size() == 1 && pending_ && pending_->owner == Owner::Group) Close(now);
  open_.pop_back();
  return true;
}

void UndoHistory::WillChange(const ProjectModel &now, Part part) {
  const Owner owner = CurrentOwner();
  if (!pending_ || pending_->owner != owner) {
    if (pending_) Close(now);
    std::string name = owner == Owner::Group    ? open_.front()
                       : owner == Owner::Action ? *action_
                                                : call_;
    pending_ = Pending{owner,
                       std::move(name),
                       std::make_shared<Kept>(now),
                       owner != Owner::Action && renders_,
                       {}};
  }
  Keep(now, part);
  if (owner == Owner::Action && !open_.empty() && !group_joined_) {
    group_joined_ = true;
    auto &joined = pending_->joined;
    if (!joined.empty() && joined.back().first == open_.front())
      ++joined.back().second;
    else
      joined.emplace_back(open_.front(), 1);
  }
}

void UndoHistory::Touch(const ProjectModel &now, Part part) {
  if (pending_) Keep(now, part);
}

void UndoHistory::Keep(const ProjectModel &now, Part part) { pending_->before->Add(now, part); }

void UndoHistory::BeginAction(const std::string &name, bool spans_groups) {
  action_ = name;
  joins_action_ = true;
  spans_groups_ = spans_groups;
}

void UndoHistory::EndAction(const ProjectModel &now) {
  if (pending_ && pending_->owner == Owner::Action) Close(now);
  action_.reset();
  spans_groups_ = false;
}

void UndoHistory::BeginCall(const std::string &call, bool joins_action, bool renders) {
  call_ = call;
  joins_action_ = joins_action;
  renders_ = renders;
}

std::vector<std::string> UndoHistory::EndCommand(const ProjectModel &now) {
  std::vector<std::string> problems;
  problems.swap(problems_);
  if (!open_.empty()) {
    problems.push_back("undo group \"" + open_.front() + "\" left open");
    if (pending_) Close(now);
    open_.clear();
  }
  if (pending_ && pending_->owner == Owner::Call) {
    problems.push_back("changed the project outside an undo group (in " + call_ + ")");
    Close(now);
  }
  // Between commands, what the user does is the user's own again.
  joins_action_ = true;
  return problems;
}

void UndoHistory::Close(const ProjectModel &now) {
  Pending pending = std::move(*pending_);
  pending_.reset();
  auto change = std::make_shared<Change>(std::move(*pending.before), now);
  if (change->empty()) return;
  names_.push_back(pending.name);
  entries_.push_back(Entry{std::move(pending.name), std::move(change), pending.by_render,
                           std::move(pending.joined)});
  redo_.clear();
}

bool UndoHistory::Undo(ProjectModel &project) {
  if (entries_.empty()) return false;
  redo_.push_back(std::move(entries_.back()));
  entries_.pop_back();
  names_.pop_back();
  redo_.back().change->SwapWith(project);
  return true;
}

bool UndoHistory::Redo(ProjectModel &project) {
  if (redo_.empty()) return false;
  entries_.push_back(std::move(redo_.back()));
  names_.push_back(entries_.back().name);
  redo_.pop_back();
  entries_.back().change->SwapWith(project);
  return true;
}

std::vector<std::string> UndoHistory::redo_entries() const {
  std::vector<std::string> out;
  for (auto it = redo_.rbegin(); it != redo_.rend(); ++it) out.push_back(it->name);
  return out;
}

void UndoHistory::Clear() {
  entries_.clear();
  names_.clear();
  redo_.clear();
  open_.clear();
  action_.reset();
  spans_groups_ = false;
  pending_.reset();
  problems_.clear();
}

}  // namespace orvane::host
