// The user's undo history as the application keeps it: a plug-in opens a named group around the
// changes of one action, and the outermost group becomes one entry; an undoable change made with
// no group open is an entry of its own.
#pragma once

#include <string>
#include <vector>

namespace orvane::host {

class UndoHistory {
 public:
  // A group a plug-in starts; one started inside another is misuse, and only the outermost
  // becomes an entry.
  void StartGroup(const std::string &name);
  // Ends the innermost group; false (and a problem) when none was open.
  bool EndGroup();
  // An undoable change: part of the open group, or an entry named `name` of its own.
  void RecordChange(const std::string &name);
  // At the end of each command: what went wrong since the last call. A group left open is
  // closed, as the application closes a group its plug-in forgot, so that one fault does not
  // swallow the history of everything after it.
  std::vector<std::string> EndCommand();

  const std::vector<std::string> &entries() const { return entries_; }  // oldest first
  bool group_open() const { return !open_.empty(); }
  void Clear() { entries_.clear(); }

 private:
  std::vector<std::string> entries_;
  std::vector<std::string> open_;  // groups started and not yet ended (nesting)
  std::vector<std::string> problems_;
};

}  // namespace orvane::host
