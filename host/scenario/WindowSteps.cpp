// The steps that render and look at the composition and layer windows: render, draw, click,
// drag, and the pictures png and sheet.
#include "model/Errors.h"
#include "report/Format.h"
#include "report/PictureLayout.h"
#include "report/Pictures.h"
#include "scenario/JsonValues.h"
#include "scenario/ScenarioRunner.h"

namespace orvane::host {

namespace {

std::string DragChange(bool taken) {
  return taken ? "handle dragged" : "no handle at the first point";
}

// The application renders the frame it moves to before the person can click in it, so a click
// or drag at another time than the last render's meets the masks as that frame's render leaves
// them (with "On" set, moved by the live update).
void RenderFrameAt(Session &session, double time, std::vector<std::string> &changes) {
  if (session.last_render_time() == time) return;
  CommandContext context = session.context();
  context.time = time;
  session.Render(context);
  changes.push_back("rendered the frame at " + NumberText(time) + " s first");
}

}  // namespace

void ScenarioRunner::DoRender(const Json &step, StepRecord &record) {
  if (!session_.project().effect.applied)
    throw BadInput("the effect is not applied yet: add {\"do\": \"apply\"} first");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time, project.comp);
  const RenderRequest asked = RenderRequestFromJson(step);
  CommandContext context = session_.context();
  context.downsample_x = asked.downsample_x;
  context.downsample_y = asked.downsample_y;
  const int depth = asked.depth;
  RenderResult result = session_.Render(context, depth);
  if (result.rendered) {
    record.changes.push_back(std::string("rendered at ") + std::to_string(depth) +
                             " bits, output " +
                             (result.output_equals_input ? "equals" : "differs from") + " input");
  }
}

void ScenarioRunner::DoDraw(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time, project.comp);
  EventResult r = session_.Draw(window, project.time);
  record.changes.push_back(std::to_string(session_.drawing().size()) + " drawing operations" +
                           (r.handled ? "" : " (event not taken)"));
}

void ScenarioRunner::DoClick(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  if (!step.contains("point"))
    throw BadInput("\"click\" needs a \"point\" [x, y] in window pixels");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time, project.comp);
  RenderFrameAt(session_, project.time, record.changes);
  bool taken = session_.Drag(window, {PointFromJson(step.at("point"), "\"point\"")}, project.time);
  record.changes.push_back(taken ? "handle grabbed" : "no handle there");
}

void ScenarioRunner::DoDrag(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  if (!step.contains("points") || !step.at("points").is_array() || step.at("points").size() < 2) {
    throw BadInput("\"drag\" needs \"points\": at least two window points [x, y]");
  }
  std::vector<Point2> points;
  for (const Json &p : step.at("points")) points.push_back(PointFromJson(p, "each of \"points\""));
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time, project.comp);
  RenderFrameAt(session_, project.time, record.changes);
  bool taken = session_.Drag(window, points, project.time);
  record.changes.push_back(DragChange(taken));
}

void ScenarioRunner::PressMouse(const Json &step, std::size_t number) {
  if (live_.active)
    throw BadInput("step " + std::to_string(number) + ": the mouse is already down");
  if (!step.is_object())
    throw BadInput("step " + std::to_string(number) + ": a press is an object");
  live_ = LiveDrag();
  Json drag = step;
  drag["do"] = "drag";
  Guarded(number, "drag", [&] {
    CheckKeys(drag, Handlers().at("drag"));
    WindowKind window = Window(drag);
    if (!drag.contains("points") || !drag.at("points").is_array() || drag.at("points").size() != 1)
      throw BadInput("a mouse press gives \"points\" with its one window point [x, y]");
    const Point2 point = PointFromJson(drag.at("points")[0], "each of \"points\"");
    Project &project = session_.project();
    CheckStepLimits(drag, project, session_.view(), limits_);
    project.time = Seconds(drag, "time", project.time, project.comp);
    live_.pending.emplace(StartRecord("drag", number));
    RenderFrameAt(session_, project.time, live_.pending->record.changes);
    live_.taken = session_.MouseDown(window, point, project.time, false);
  });
  live_.active = true;
  live_.number = number;
  live_.step = std::move(drag);
}

void ScenarioRunner::AddLivePoint(const Json &point, bool release) {
  if (!live_.active) throw BadInput("the mouse is not down: press it first");
  try {
    Guarded(live_.number, "drag", [&] {
      Json step = live_.step;
      step.at("points").push_back(point);
      // A move leaves room for the release still to come, so that the step a refused point
      // ends with (below) is one that run accepts.
      Json checked = step;
      if (!release) checked.at("points").push_back(point);
      CheckStepLimits(checked, session_.project(), session_.view(), limits_);
      const Point2 p = PointFromJson(point, "each of \"points\"");
      live_.step = std::move(step);
      session_.MouseMove(p, release);
    });
  } catch (const BadInput &) {
    // A refused point ends the drag where the mouse last was, so the module is never left with
    // a press that no release follows, and the step holds what the module was sent.
    EndLiveDrag(true);
    throw;
  }
}

void ScenarioRunner::EndLiveDrag(bool release_here) {
  if (release_here) {
    Json &points = live_.step.at("points");
    points.push_back(points.back());
    session_.MouseMove(PointFromJson(points.back(), "each of \"points\""), true);
  }
  live_.pending->record.changes.push_back(DragChange(live_.taken));
  EndRecord(*live_.pending);
  finished_drag_ = std::move(live_.step);
  live_ = LiveDrag();
}

void ScenarioRunner::MoveMouse(const Json &point) { AddLivePoint(point, false); }

void ScenarioRunner::ReleaseMouse(const Json &point) {
  AddLivePoint(point, true);
  EndLiveDrag(false);
}

void ScenarioRunner::DoPng(const Json &step, StepRecord &record) {
  WindowKind window = Window(step);
  const std::string path = OutputPath(step, "png");
  Project &project = session_.project();
  project.time = Seconds(step, "time", project.time, project.comp);
  session_.Draw(window, project.time);
  WriteWindowPng(session_, window, project.time, path, caption_);
  files_.push_back(path);
  record.changes.push_back("wrote " + path);
}

void ScenarioRunner::DoSheet(const Json &step, StepRecord &record) {
  const std::string path = OutputPath(step, "sheet");
  const Composition &comp = session_.project().comp;
  const double every = Number(step, "every", 10, "\"every\"");
  const double columns = Number(step, "columns", 6, "\"columns\"");
  const double width = Number(step, "cell_width", 320, "\"cell_width\"");
  if (!(every >= 1 && every <= 1e9) || !(columns >= 1 && columns <= 64) ||
      !(width >= 16 && width <= 4096)) {
    throw BadInput("\"every\" is at least 1, \"columns\" 1 to 64 and \"cell_width\" 16 to 4096");
  }
  // One cell per `every` frames of the work area, each showing the frame's masks.
  const std::size_t cells = SheetCells(comp, int(every));
  const SheetLayout layout = LayOutSheet(cells, int(columns), int(width), comp,
                                         limits_.max_picture_side, limits_.max_sheet_cells);
  CheckSheetLimits(session_.project(), cells, layout, limits_);
  std::vector<double> times;
  for (std::size_t i = 0; i < cells; ++i)
    times.push_back(comp.work_start + double(i) * int(every) / comp.fps);
  WriteContactSheet(session_, times, layout, path);
  files_.push_back(path);
  record.changes.push_back("wrote " + path + " (" + std::to_string(times.size()) + " frames)");
}

}  // namespace orvane::host
