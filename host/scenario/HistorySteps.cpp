// The steps that go back and forth in the user's undo history (undo, redo) and that save the
// project and open it again (save, open).
#include <algorithm>
#include <cmath>

#include "model/Errors.h"
#include "report/OutputFile.h"
#include "report/ProjectFile.h"
#include "scenario/Outputs.h"
#include "scenario/ProjectOpen.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

namespace {

// How many entries an undo or redo step goes through: its "count" (one without it), a whole
// number no larger than the entries there are, as the History panel goes back to an entry in
// one click.
std::size_t StepCount(const Json &step, std::size_t available, const char *what) {
  if (available == 0) throw BadInput(std::string("there is nothing to ") + what);
  if (!step.contains("count")) return 1;
  const Json &count = step.at("count");
  const double n = count.is_number() ? count.get<double>() : 0;
  if (!count.is_number() || n != std::floor(n) || n < 1 || n > double(available)) {
    throw BadInput(std::string("\"count\" is a whole number from 1 to ") +
                   std::to_string(available) + ", the entries there are to " + what);
  }
  return std::size_t(n);
}

std::string Went(const char *verb, const std::string &last, std::size_t count) {
  std::string text = std::string(verb) + " \"" + last + "\"";
  if (count == 2) text += " and the entry before it";
  if (count > 2) text += " and the " + std::to_string(count - 1) + " entries before it";
  return text;
}

}  // namespace

void ScenarioRunner::DoUndo(const Json &step, StepRecord &record) {
  Project &project = session_.project();
  const auto entries = project.undo.entries();
  const std::size_t count = StepCount(step, entries.size(), "undo");
  for (std::size_t i = 0; i < count; ++i) project.undo.Undo(project);
  record.changes.push_back(Went("undid", entries[entries.size() - count], count));
  // One command is one change for the application to follow, however many entries it crossed.
  if (project.effect.applied) session_.FinishAction(session_.BeginAction(), true, true);
}

void ScenarioRunner::DoRedo(const Json &step, StepRecord &record) {
  Project &project = session_.project();
  const auto redo = project.undo.redo_entries();
  const std::size_t count = StepCount(step, redo.size(), "redo");
  for (std::size_t i = 0; i < count; ++i) project.undo.Redo(project);
  record.changes.push_back(Went("redid", redo[count - 1], count));
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
