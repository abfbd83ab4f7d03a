// The steps that go back and forth in the user's undo history (undo, redo) and that save the
// project and open it again (save, open).
#include <algorithm>

#include "model/Errors.h"
#include "report/OutputFile.h"
#include "report/ProjectFile.h"
#include "scenario/Outputs.h"
#include "scenario/ProjectOpen.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

void ScenarioRunner::DoUndo(const Json &, StepRecord &record) {
  Project &project = session_.project();
  const auto entries = project.undo.entries();
  if (entries.empty()) throw BadInput("there is nothing to undo");
  project.undo.Undo(project);
  record.changes.push_back("undid \"" + entries.back() + "\"");
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, true);
}

void ScenarioRunner::DoRedo(const Json &, StepRecord &record) {
  Project &project = session_.project();
  const auto redo = project.undo.redo_entries();
  if (redo.empty()) throw BadInput("there is nothing to redo");
  project.undo.Redo(project);
  record.changes.push_back("redid \"" + redo.front() + "\"");
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, true);
}

void ScenarioRunner::DoSave(const Json &step, StepRecord &record) {
  const std::string path = OutputPath(step, "save");
  OutputFile out(path);
  WriteProjectFile(out.stream(), session_.project(), comp_, layer_);
  out.Commit();
  files_.push_back(path);
  record.changes.push_back("saved " + path);
}

void ScenarioRunner::DoOpen(const Json &step, StepRecord &record) {
  const std::string path = PicturePath(out_dir_, step, "open", false);
  Open(ReadProjectFile(path, limits_), path);
  record.changes.push_back("opened " + path);
}

void ScenarioRunner::Open(SavedProject &&file, const std::string &origin) {
  // Every step from here on renders the opened project's layer (this one included).
  const std::size_t steps = scenario_.contains("steps") ? scenario_.at("steps").size() : 0;
  Json comp = file.fields.value("comp", Json()), layer = file.fields.value("layer", Json());
  OpenProject(session_, std::move(file), origin, limits_, steps - std::min(steps, steps_.size()));
  comp_ = std::move(comp);
  layer_ = std::move(layer);
}

}  // namespace orvane::host
