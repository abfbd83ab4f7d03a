// The user's undo history as the application keeps it. Each entry holds the parts of the project
// model one action changed (the composition, the layer, each mask, each parameter) as they are
// not now: as they were before while the entry is done, as they were after once undone. Undo and
// Redo swap them with the project's, so they put it back exactly, and an entry costs what it
// changed rather than a copy of the project. A plug-in opens a named
// group around the changes of one action and the outermost group becomes one entry; what the
// user does is an entry of its own, and while the application handles a user's change, what the
// module changes outside a group of its own joins it; a change made outside any of these is an
// entry named after the call, and a problem of the module. An entry that changes nothing is
// dropped, and a new entry clears what could be redone.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane::host {

struct ProjectModel;

class UndoHistory {
 public:
  struct Change;
  struct Entry {
    std::string name;
    std::shared_ptr<Change> change;  // the parts it changed, as they are not in the project now
    // Made while the module rendered (its live update's group), not by what the user did.
    bool by_render = false;
    // The groups the module opened while a drag held the entry open, each with how many times
    // in a row it did ("Move Masks", 120): they are part of this entry.
    std::vector<std::pair<std::string, std::size_t>> joined;
  };

  // A group a plug-in starts; one started inside another is misuse, and only the outermost
  // becomes an entry.
  void StartGroup(const std::string &name, const ProjectModel &now);
  // Ends the innermost group; false (and a problem) when none was open.
  bool EndGroup(const ProjectModel &now);
  // What a change is to: the model but the effect's parameters (the composition, the layer, its
  // masks, the effect's settings), one parameter, or anything, parameters included.
  struct Part {
    enum Kind { Model, Param, Anything };
    constexpr Part(Kind k = Anything, std::size_t index = 0) : kind(k), param(index) {}
    Kind kind;
    std::size_t param;  // of a Param
  };
  static Part ModelPart() { return {Part::Model, 0}; }
  static Part ParamPart(std::size_t index) { return {Part::Param, index}; }
  // Said before every undoable change to the model: the first change of an entry keeps the
  // model but its parameters as they were (mask keys shared with it until they change), and each
  // change to a parameter keeps that parameter as it was, so that an entry costs what it touched
  // and not a copy of the effect's hundreds of parameters. The entry keeps of these only what
  // changed once it ends.
  void WillChange(const ProjectModel &now, Part part = Part());
  // Said before a change that makes no entry of its own (the module's display state): the entry
  // being made, if there is one, keeps the part as it was, as it keeps whatever else changes
  // while it is open.
  void Touch(const ProjectModel &now, Part part);

  // The user's own action (a value set, a mask drawn, a button pressed), named as the
  // application names it; it ends with EndAction, after the application has told the module.
  // An action that `spans_groups` (a drag, from the press to the release) is one entry: the
  // groups the module opens meanwhile (the renders that follow the mouse) join it.
  void BeginAction(const std::string &name, bool spans_groups = false);
  void EndAction(const ProjectModel &now);
  // The call the module is handling: changes it makes outside a group become an entry named
  // `call`, unless `joins_action`, when they join the user's action under way. `renders` when
  // the call is a render's, so that its entries are told apart from the user's.
  void BeginCall(const std::string &call, bool joins_action, bool renders = false);
  // At the end of each command: what went wrong since the last call. A group left open is
  // closed, as the application closes a group its plug-in forgot, so that one fault does not
  // swallow the history of everything after it.
  std::vector<std::string> EndCommand(const ProjectModel &now);

  // Puts the model back as it was before the last entry (or after the last undone one); false
  // when there is nothing to undo (redo). Never while an entry is being made.
  bool Undo(ProjectModel &project);
  bool Redo(ProjectModel &project);

  const std::vector<Entry> &records() const { return entries_; }      // oldest first
  const std::vector<Entry> &redo_records() const { return redo_; }    // next to redo last
  const std::vector<std::string> &entries() const { return names_; }  // their names
  std::vector<std::string> redo_entries() const;  // the names of what Redo gives back, next first
  std::size_t size() const { return entries_.size(); }
  bool group_open() const { return !open_.empty(); }
  bool action_open() const { return action_.has_value(); }
  // Forgets every entry, as the application does when it opens a project.
  void Clear();

 private:
  enum class Owner { Group, Action, Call };
  struct Kept;
  struct Pending {
    Owner owner;
    std::string name;
    std::shared_ptr<Kept> before;
    bool by_render = false;
    std::vector<std::pair<std::string, std::size_t>> joined;
  };
  Owner CurrentOwner() const;
  void Keep(const ProjectModel &now, Part part);
  // Ends the entry being made: kept when the model differs from where it started.
  void Close(const ProjectModel &now);

  std::vector<Entry> entries_;
  std::vector<std::string> names_;  // of entries_, kept beside them for whoever reads only names
  std::vector<Entry> redo_;
  std::vector<std::string> open_;  // groups started and not yet ended (nesting)
  std::optional<std::string> action_;
  std::string call_;
  bool joins_action_ = false;
  bool spans_groups_ = false;
  bool renders_ = false;
  bool group_joined_ = false;  // the open group has been counted in the spanning action's entry
  std::optional<Pending> pending_;
  std::vector<std::string> problems_;
};

}  // namespace orvane::host
