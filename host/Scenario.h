// Scripted sessions: a JSON scenario sets up the project and lists the user's steps, which the
// runner plays against a Session as the application would.
#ifndef ORVANE_HOST_SCENARIO_H
#define ORVANE_HOST_SCENARIO_H

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Limits.h"
#include "Session.h"

namespace orvane::host {

using Json = nlohmann::ordered_json;

struct StepRecord {
  std::string what;  // the step's "do"
  std::vector<CommandRecord> commands;
  std::vector<std::string> changes;  // what the step changed in the project, for people
};

// Reads a scenario file's text, or throws BadInput naming why it cannot.
std::string ReadScenarioFile(const std::string &path, const Limits &limits = Limits());
// Throws BadInput naming the problem, with line and column where the text is not JSON.
Json ParseScenario(const std::string &text, const std::string &origin,
                   const Limits &limits = Limits());

class ScenarioRunner {
 public:
  // Checks the scenario's shape and limits and sets up the project from its "comp", "layer" and
  // "view".
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
  // Sends global tear-down, as the application does when it quits.
  void Finish();

  const std::vector<StepRecord> &steps() const { return steps_; }
  const Json &scenario() const { return scenario_; }
  static std::vector<std::string> StepNames();

 private:
  using Handler = void (ScenarioRunner::*)(const Json &step, StepRecord &record);
  static const std::map<std::string, Handler> &Handlers();

  void DoApply(const Json &step, StepRecord &record);
  void DoPress(const Json &step, StepRecord &record);
  void DoSet(const Json &step, StepRecord &record);
  void DoKey(const Json &step, StepRecord &record);
  void DoRender(const Json &step, StepRecord &record);
  void DoMask(const Json &step, StepRecord &record);
  void DoDeleteMask(const Json &step, StepRecord &record);
  void DoDraw(const Json &step, StepRecord &record);
  void DoClick(const Json &step, StepRecord &record);
  void DoDrag(const Json &step, StepRecord &record);
  void DoPng(const Json &step, StepRecord &record);
  void DoSheet(const Json &step, StepRecord &record);
  void DoExpression(const Json &step, StepRecord &record);  // in ScenarioModel.cpp
  WindowKind Window(const Json &step) const;
  // Where a picture step's "file" goes, checked to stay inside the output folder.
  std::string OutputPath(const Json &step, const char *what) const;

  // The applied effect's parameter named in the step's "param" (BadInput otherwise).
  int ParamIndex(const Json &step) const;

  Session &session_;
  Json scenario_;
  std::vector<StepRecord> steps_;
  std::string out_dir_;
  std::vector<std::string> files_;
  Limits limits_;
  bool caption_ = false;
};

// Names for people: a command code and an error code as the SDK spells them.
std::string CommandName(PF_Cmd cmd);
std::string ErrorName(PF_Err err);

// The project as JSON: the sections of the command-line contract.
Json DumpProject(Session &session, const std::vector<StepRecord> &steps);
// The same text as DumpProject(...).dump(2) and a newline, written as it is produced.
void WriteProject(std::ostream &out, Session &session, const std::vector<StepRecord> &steps);

}  // namespace orvane::host

#endif
