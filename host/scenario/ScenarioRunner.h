// Plays a scenario's steps against a Session as the application would: each step is one action
// of the user (apply the effect, press a button, set or key a parameter, add a mask, render,
// draw, click or drag in a window, write a picture).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/Session.h"
#include "report/Json.h"
#include "report/StepRecord.h"
#include "scenario/Limits.h"
#include "scenario/ProjectOpen.h"
#include "scenario/StepSummary.h"

namespace orvane::host {

class ScenarioRunner {
 public:
  // Checks the scenario's shape and limits and sets up the project from its "comp", "layer",
  // "view" and "host".
  ScenarioRunner(Session &session, Json scenario, const Limits &limits = Limits());

  // Plays every step; throws BadInput naming the step when one cannot be carried out.
  void Run();
  // Plays one step, called step `number` in messages: what Run() does for each of the file's.
  void RunStep(const Json &step, std::size_t number);
  // A "drag" step played a phase at a time, as a person's mouse gives it: PressMouse takes the
  // step with its first point (and its "window" and "time"), MoveMouse sends each next point,
  // ReleaseMouse the last; the points go to the step, which is then recorded as one "drag" and
  // returned. The same limits and messages as the step played whole.
  void PressMouse(const Json &step, std::size_t number);
  void MoveMouse(const Json &point);
  void ReleaseMouse(const Json &point);
  bool mouse_pressed() const { return live_.active; }
  // The "drag" step a live drag became, once: after the release, or after a refused point,
  // which ends the drag where the mouse last was.
  std::optional<Json> TakeFinishedDrag() { return std::exchange(finished_drag_, std::nullopt); }
  // Whether "png" and "sheet" steps may write their files; without, they are refused.
  void SetWritesFiles(bool writes) { writes_files_ = writes; }
  // Where "png" steps write their files (the current folder when empty).
  void SetOutputDir(const std::string &dir) { out_dir_ = dir; }
  const std::vector<std::string> &files_written() const { return files_; }
  // Whether "png" pictures carry a caption band naming the window, the time and the zoom.
  void SetCaption(bool caption) { caption_ = caption; }
  // Told as each step starts (its number from 1 and what it does), e.g. for a watchdog.
  std::function<void(std::size_t number, const std::string &what)> on_step;
  // Starts the session afresh from a saved project (ProjectOpen.h); `origin` names it in errors.
  void Open(SavedProject &&project_file, const std::string &origin);
  // Sends global tear-down, as the application does when it quits.
  void Finish();

  const std::vector<StepRecord> &steps() const { return steps_; }
  const Json &scenario() const { return scenario_; }
  const Limits &limits() const { return limits_; }
  // Every step a scenario may name, in alphabetical order: the one list that the help text and
  // the documentation are checked against.
  static std::vector<std::string> StepNames();

 private:
  using Handler = void (ScenarioRunner::*)(const Json &step, StepRecord &record);
  // What a step does and the keys it takes besides "do".
  struct StepKind {
    Handler handler;
    std::vector<std::string> keys;
  };
  static const std::map<std::string, StepKind> &Handlers();

  // Parameters and the effect (ParamSteps.cpp).
  void DoApply(const Json &step, StepRecord &record);
  void DoPress(const Json &step, StepRecord &record);
  void DoSet(const Json &step, StepRecord &record);
  void DoKey(const Json &step, StepRecord &record);
  void DoExpression(const Json &step, StepRecord &record);
  // The user's undo history: the project as it was, then what follows any change
  // (HistorySteps.cpp).
  void DoUndo(const Json &step, StepRecord &record);
  void DoRedo(const Json &step, StepRecord &record);
  void DoSave(const Json &step, StepRecord &record);
  void DoOpen(const Json &step, StepRecord &record);
  // Masks (MaskSteps.cpp).
  void DoMask(const Json &step, StepRecord &record);
  void DoDeleteMask(const Json &step, StepRecord &record);
  // Renders, windows and pictures (WindowSteps.cpp).
  void DoRender(const Json &step, StepRecord &record);
  void DoDraw(const Json &step, StepRecord &record);
  void DoClick(const Json &step, StepRecord &record);
  void DoDrag(const Json &step, StepRecord &record);
  void DoPng(const Json &step, StepRecord &record);
  void DoSheet(const Json &step, StepRecord &record);

  WindowKind Window(const Json &step) const;
  // Where a picture step's "file" goes, checked to stay inside the output folder.
  std::string OutputPath(const Json &step, const char *what) const;
  // The applied effect's parameter named in the step's "param" (BadInput otherwise).
  int ParamIndex(const Json &step) const;

  // Where a step's record starts, and how it ends once the step has done its work.
  struct Pending {
    StepRecord record;
    std::size_t first_command = 0;
  };
  // Throws BadInput for a key the step does not take ("do" and its kind's keys).
  static void CheckKeys(const Json &step, const StepKind &kind);
  Pending StartRecord(const std::string &what, std::size_t number);
  void EndRecord(Pending &pending);
  // Runs `work` for step `number`, turning what it throws into BadInput naming the step.
  void Guarded(std::size_t number, const std::string &what, const std::function<void()> &work);
  // The live drag under way, and the step it becomes.
  struct LiveDrag {
    bool active = false;
    std::size_t number = 0;
    bool taken = false;  // the module took the press
    Json step;
    std::optional<Pending> pending;
  };
  LiveDrag live_;
  std::optional<Json> finished_drag_;
  void AddLivePoint(const Json &point, bool release);
  // Ends the live drag as a step: the release where the mouse last was when a point is refused.
  void EndLiveDrag(bool release_here);

  bool writes_files_ = true;
  Session &session_;
  Json scenario_;
  std::vector<StepRecord> steps_;
  std::string out_dir_;
  std::vector<std::string> files_;
  Limits limits_;
  bool caption_ = false;
  StepSummary summary_;
  // The composition and layer as given (by the scenario or the project opened), for "save".
  Json comp_, layer_;
};

}  // namespace orvane::host
