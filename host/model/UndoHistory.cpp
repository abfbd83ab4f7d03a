#include "model/UndoHistory.h"

namespace orvane::host {

void UndoHistory::StartGroup(const std::string &name) {
  if (!open_.empty()) problems_.push_back("undo group nested in \"" + open_.back() + "\"");
  open_.push_back(name);
}

bool UndoHistory::EndGroup() {
  if (open_.empty()) {
    problems_.push_back("undo group ended that was never started");
    return false;
  }
  if (open_.size() == 1) entries_.push_back(open_.back());
  open_.pop_back();
  return true;
}

void UndoHistory::RecordChange(const std::string &name) {
  if (open_.empty()) entries_.push_back(name);
}

std::vector<std::string> UndoHistory::EndCommand() {
  std::vector<std::string> problems;
  problems.swap(problems_);
  if (!open_.empty()) {
    problems.push_back("undo group \"" + open_.front() + "\" left open");
    entries_.push_back(open_.front());
    open_.clear();
  }
  return problems;
}

}  // namespace orvane::host
