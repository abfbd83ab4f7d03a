#include "model/UndoHistory.h"

#include "model/Project.h"

namespace orvane::host {

namespace {

std::shared_ptr<const ProjectModel> Copy(const ProjectModel &now) {
  return std::make_shared<const ProjectModel>(now);
}

}  // namespace

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

void UndoHistory::WillChange(const ProjectModel &now) {
  const Owner owner = CurrentOwner();
  if (!pending_ || pending_->owner != owner) {
    if (pending_) Close(now);
    std::string name = owner == Owner::Group    ? open_.front()
                       : owner == Owner::Action ? *action_
                                                : call_;
    pending_ = Pending{owner, std::move(name), Copy(now), owner != Owner::Action && renders_, {}};
  }
  if (owner == Owner::Action && !open_.empty() && !group_joined_) {
    group_joined_ = true;
    auto &joined = pending_->joined;
    if (!joined.empty() && joined.back().first == open_.front())
      ++joined.back().second;
    else
      joined.emplace_back(open_.front(), 1);
  }
}

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
  if (*pending.before == now) return;
  names_.push_back(pending.name);
  entries_.push_back(Entry{std::move(pending.name), std::move(pending.before), Copy(now),
                           pending.by_render, std::move(pending.joined)});
  redo_.clear();
}

bool UndoHistory::Undo(ProjectModel &project) {
  if (entries_.empty()) return false;
  redo_.push_back(std::move(entries_.back()));
  entries_.pop_back();
  names_.pop_back();
  project = *redo_.back().before;
  return true;
}

bool UndoHistory::Redo(ProjectModel &project) {
  if (redo_.empty()) return false;
  entries_.push_back(std::move(redo_.back()));
  names_.push_back(entries_.back().name);
  redo_.pop_back();
  project = *entries_.back().after;
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
