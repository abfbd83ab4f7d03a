// Plays a scenario's steps against a Session as the application would: each step is one action
// of the user (apply the effect, press a button, set or key a parameter, add a mask, render,
// draw, click or drag in a window, write a picture).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/Session.h"
#include "report/Json.h"
#include "report/StepRecord.h"
#include "scenario/Limits.h"

namespace orvane::host {

class ScenarioRunner {
 public:
  // Checks the scenario's shape and limits and sets up the project from its "comp", "layer",
  // "view" and "host".
  ScenarioRunner(Session &session, Json scenario, const Limits &limits = Limits());

  // Plays every step; throws BadInput naming the step when one cannot be carried out.
  void Run();
  // Where "png" steps write their files (the current folder when empty).
  void SetOutputDir(const std::string &dir) { out_dir_ = dir; }
  const std::vector<std::string> &files_written() const { return files_; }
  // Whether "png" pictures carry a caption band naming the window, the time and the zoom.
  void SetCaption(bool caption) { caption_ = caption; }
  // Told as each step starts (its number from 1 and what it does), e.g. for a watchdog.
  std::function<void(std::size_t number, const std::string &what)> on_step;
  // Starts the session afresh from a saved project (ProjectOpen.h); `origin` names it in errors.
  void Open(const Json &project_file, const std::string &origin);
  // Sends global tear-down, as the application does when it quits.
  void Finish();

  const std::vector<StepRecord> &steps() const { return steps_; }
  const Json &scenario() const { return scenario_; }
  // Every step a scenario may name, in alphabetical order: the one list that the help text and
  // the documentation are checked against.
  static std::vector<std::string> StepNames();

 private:
  using Handler = void (ScenarioRunner::*)(const Json &step, StepRecord &record);
  static const std::map<std::string, Handler> &Handlers();

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
  // What the application does after a change the user made to the project: the effect's
  // controls are brought up to date and the frame rendered again.
  void AfterProjectChange();

  Session &session_;
  Json scenario_;
  std::vector<StepRecord> steps_;
  std::string out_dir_;
  std::vector<std::string> files_;
  Limits limits_;
  bool caption_ = false;
  // The composition and layer as given (by the scenario or the project opened), for "save".
  Json comp_, layer_;
};

}  // namespace orvane::host
