// One person's session of `orvane-host play`: the module, the project, and the scenario the
// page's actions become. Every action arrives as a scenario step (or one of the three mouse
// phases of a drag) and goes through the same runner, limits and messages as `orvane-host run`;
// what is played is recorded, so that the session can be saved and replayed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "protocol/Module.h"
#include "protocol/Session.h"
#include "report/Json.h"
#include "scenario/Limits.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host::play {

class PlaySession {
 public:
  // Loads the module and sets the project up from the scenario's "comp", "layer", "view" and
  // "host" (`scenario` is an empty object when none was given). Its steps are played by Start().
  PlaySession(const std::string &module_path, const Json &scenario, const Limits &limits);
  PlaySession(const PlaySession &) = delete;
  PlaySession &operator=(const PlaySession &) = delete;

  // Plays the scenario's steps but those that write files, which the session never does; says
  // on `notes` which were left out. Throws BadInput as `run` does for a step that fails.
  void Start(std::ostream &notes);

  // The page's actions; each throws BadInput, with `run`'s message, for one that is refused.
  void Step(const Json &step);
  void MouseDown(const Json &press);  // {"window", "time", "points": [[x, y]]}
  void MouseMove(const Json &point);
  void MouseUp(const Json &point);

  // What the page shows: controls, masks, timeline, Info panel, undo history, problems.
  Json State();
  // What a move of a drag changes, in one answer: the window the drag is in as the page draws
  // it (WindowView.h) and every parameter's value.
  Json DragAnswer();
  // The window as the page draws it at `time` (WindowView.h).
  Json View(WindowKind window, double time);
  // The layer alone in the window at `time`, as PNG bytes (report/Pictures.h).
  std::string LayerPicture(WindowKind window, double time);
  // The window as PNG bytes, with the overlay the module draws at `time`.
  std::string Picture(WindowKind window, double time);
  // The project dump, as orvane-host run --json writes it.
  Json Dump();
  // The scenario that replays the session: the set-up it started from and every step played.
  const Json &Scenario() const { return recorded_; }

  // Global tear-down, as the application quits; prints the session's problems as `run` does
  // and gives its exit code.
  int Finish(std::ostream &out);
  // Whether Finish has been called: the module has had its global tear-down.
  bool ended() const { return finished_; }

 private:
  void RecordFinishedDrag();
  // Refuses a time outside the composition, as `run` refuses it in a step.
  void CheckTime(double time) const;
  // Takes the problems of the commands sent since the last call into problems_.
  void CollectProblems();

  Module module_;
  Session session_;
  Json start_;  // the scenario as given
  ScenarioRunner runner_;
  Json recorded_;
  WindowKind drag_window_ = WindowKind::Comp;
  double drag_time_ = 0;
  Json sent_values_ = Json::object();  // the values the page was last given
  std::vector<std::string> command_errors_;
  std::size_t commands_seen_ = 0;
  bool finished_ = false;
};

}  // namespace orvane::host::play
