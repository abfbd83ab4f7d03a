#include "play/PlaySession.h"

#include "model/Errors.h"
#include "play/PageState.h"
#include "play/WindowView.h"
#include "report/Dump.h"
#include "report/Names.h"
#include "report/Pictures.h"
#include "scenario/JsonValues.h"
#include "scenario/Outputs.h"
#include "scenario/Play.h"

namespace orvane::host::play {

namespace {

// The scenario's set-up without its steps: the runner is handed steps one at a time.
Json SetUpOnly(Json scenario) {
  scenario.erase("steps");
  return scenario;
}

}  // namespace

PlaySession::PlaySession(const std::string &module_path, const Json &scenario, const Limits &limits)
    : module_(module_path),
      session_(module_),
      start_(scenario),
      runner_(session_, SetUpOnly(scenario), limits),
      recorded_(SetUpOnly(scenario)) {
  recorded_["steps"] = Json::array();
  runner_.SetWritesFiles(false);
}

void PlaySession::Start(std::ostream &notes) {
  if (!start_.contains("steps")) return;
  const Json &steps = start_.at("steps");
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (WritesFile(steps[i])) {
      notes << "left out step " << (i + 1) << " (" << steps[i].at("do").get<std::string>()
            << "): play writes no files\n";
      continue;
    }
    Step(steps[i]);
  }
}

void PlaySession::Step(const Json &step) {
  const std::size_t number = recorded_.at("steps").size() + 1;
  // Opening closes the project the person has: the file is opened in a session of its own
  // first, and only a file that opens whole is opened here, so a refused one leaves the
  // project, its history and the recorded steps as they were.
  if (step.is_object() && step.value("do", "") == "open") {
    Session trial(module_);
    ScenarioRunner opener(trial, SetUpOnly(start_), runner_.limits());
    opener.SetWritesFiles(false);
    opener.RunStep(step, number);
    opener.Finish();
  }
  try {
    runner_.RunStep(step, number);
  } catch (...) {
    CollectProblems();
    throw;
  }
  recorded_.at("steps").push_back(step);
  CollectProblems();
}

void PlaySession::MouseDown(const Json &press) {
  Json step = press;
  // Anything but an object is the page's mistake, refused by the press itself.
  if (step.is_object()) step["do"] = "drag";
  runner_.PressMouse(step, recorded_.at("steps").size() + 1);
  drag_window_ = step.value("window", "comp") == "layer" ? WindowKind::Layer : WindowKind::Comp;
  drag_time_ = session_.project().time;
  CollectProblems();
}

void PlaySession::MouseMove(const Json &point) {
  try {
    runner_.MoveMouse(point);
  } catch (...) {
    RecordFinishedDrag();
    throw;
  }
  CollectProblems();
}

void PlaySession::MouseUp(const Json &point) {
  try {
    runner_.ReleaseMouse(point);
  } catch (...) {
    RecordFinishedDrag();
    throw;
  }
  RecordFinishedDrag();
}

void PlaySession::RecordFinishedDrag() {
  // A drag ends with the release, or where the mouse last was when a point is refused; either
  // way what the module was sent is one step.
  if (std::optional<Json> step = runner_.TakeFinishedDrag())
    recorded_.at("steps").push_back(std::move(*step));
  CollectProblems();
}

Json PlaySession::State() {
  Json state = PageState(session_, runner_.steps().size());
  sent_values_ = ControlValues(session_.project());
  state["problems"] = session_.problems();
  state["errors"] = command_errors_;
  state["mouse_down"] = runner_.mouse_pressed();
  state["step_names"] = ScenarioRunner::StepNames();
  return state;
}

Json PlaySession::DragAnswer() {
  // Only the values that changed since the page last heard of them: a move changes a width and
  // a height, not the three hundred values of the panel.
  Json now = ControlValues(session_.project()), changed = Json::object();
  for (auto it = now.begin(); it != now.end(); ++it) {
    if (!sent_values_.contains(it.key()) || sent_values_.at(it.key()) != it.value())
      changed[it.key()] = it.value();
  }
  sent_values_ = std::move(now);
  Json answer = {{"picture", View(drag_window_, drag_time_)},
                 {"values", changed},
                 {"mouse_down", runner_.mouse_pressed()}};
  if (!command_errors_.empty() || !session_.problems().empty()) answer["problems"] = true;
  return answer;
}

Json PlaySession::View(WindowKind window, double time) {
  CheckTime(time);
  Json view = WindowView(session_, window, time);
  CollectProblems();
  return view;
}

std::string PlaySession::LayerPicture(WindowKind window, double time) {
  CheckTime(time);
  return WindowLayerPng(session_, window, time);
}

void PlaySession::CheckTime(double time) const {
  InsideComposition(time, session_.project().comp, "\"time\"");
}

Json PlaySession::Dump() { return DumpProject(session_, runner_.steps()); }

std::string PlaySession::Picture(WindowKind window, double time) {
  CheckTime(time);
  // What the overlay looks like comes from the module's own draw event; before the effect is
  // applied there is no overlay, only the layer.
  if (session_.project().effect.applied) session_.Draw(window, time);
  std::string png = WindowPng(session_, window, time);
  CollectProblems();
  return png;
}

void PlaySession::CollectProblems() {
  const auto &commands = session_.commands();
  for (; commands_seen_ < commands.size(); ++commands_seen_) {
    const CommandRecord &c = commands[commands_seen_];
    if (c.err)
      command_errors_.push_back(CommandName(c.cmd) + " returned " + std::to_string(c.err) + " " +
                                ErrorName(c.err));
  }
}

int PlaySession::Finish(std::ostream &out) {
  if (finished_) return kExitOk;
  finished_ = true;
  session_.trace().SetStep(0);  // the tear-down belongs to no step
  runner_.Finish();
  CollectProblems();
  for (const auto &problem : session_.problems()) out << "problem: " << problem << "\n";
  if (!command_errors_.empty()) out << command_errors_.size() << " command(s) returned an error\n";
  return command_errors_.empty() && session_.problems().empty() ? kExitOk : kExitModuleFailed;
}

}  // namespace orvane::host::play
