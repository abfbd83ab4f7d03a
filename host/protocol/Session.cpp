#include "protocol/Session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include "model/ParamTypes.h"
#include "model/Text.h"
#include "model/Units.h"
#include "protocol/Suites.h"

namespace orvane::host {

namespace {

// The name an entry gets when the module changes the project outside any group.
std::string UndoCallName(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_SMART_PRE_RENDER:
      return "pre-render";
    case PF_Cmd_SMART_RENDER:
      return "render";
    case PF_Cmd_UPDATE_PARAMS_UI:
      return "the UI update";
    case PF_Cmd_EVENT:
      return "an event";
    case PF_Cmd_USER_CHANGED_PARAM:
      return "a parameter change";
    default:
      return "command " + std::to_string(cmd);
  }
}

}  // namespace

void Session::SetCurrent(Session *session) {
  current_ = session;
  g_current_trace = session ? &session->trace_ : nullptr;
}

Session::Session(Module &module)
    : module_(module), effect_ref_(reinterpret_cast<PF_ProgPtr>(&effect_token_)) {
  previous_ = current_;
  SetCurrent(this);
  InstallCallbacks(in_data_, utils_);
  ProvideSuites(suites_);
  trace_.SetHandles(&handles_);
}

Session::~Session() { SetCurrent(previous_); }

CommandContext Session::context() const {
  CommandContext c;
  c.time = project_.time;
  return c;
}

void Session::PrepareInData(const CommandContext &context) {
  const Composition &comp = project_.comp;
  in_data_.utils = &utils_;
  in_data_.effect_ref = effect_ref_;
  // The effect API version the application reports: major version 13, minor 1 (major in the
  // high 16 bits).
  in_data_.version = (13u << 16) | 1u;
  in_data_.appl_id = appl_id_;
  in_data_.num_params = A_long(project_.effect.params.size());
  in_data_.time_scale = comp.time_scale;
  // The effect sees layer time, in the composition's time scale.
  in_data_.current_time = Ticks(project_.LayerTime(context.time), comp.time_scale).value;
  in_data_.time_step = A_long(std::lround(comp.time_scale / comp.fps));
  in_data_.local_time_step = in_data_.time_step;
  in_data_.total_time = Ticks(comp.duration, comp.time_scale).value;
  in_data_.width = project_.layer.width;
  in_data_.height = project_.layer.height;
  in_data_.extent_hint = PF_LRect{0, 0, project_.layer.width, project_.layer.height};
  in_data_.downsample_x = context.downsample_x;
  in_data_.downsample_y = context.downsample_y;
  in_data_.pixel_aspect_ratio = PF_RationalScale{1, 1};
  in_data_.global_data = global_data_;
  in_data_.pica_basicP = suites_.basic();
}

Session::ParamArray Session::BuildParams(const CommandContext &context) {
  ParamArray array;
  FillParams(array, context);
  return array;
}

void Session::FillParams(ParamArray &array, const CommandContext &context) {
  auto &params = project_.effect.params;
  array.defs.resize(params.size());
  const double dx = Factor(context.downsample_x), dy = Factor(context.downsample_y);
  double t = project_.LayerTime(context.time);
  for (std::size_t i = 0; i < params.size(); ++i) {
    PF_ParamDef &def = array.defs[i];
    def = params[i].def;
    // The id shares its storage with the change flags, which the module sets to report changes.
    def.uu.change_flags = PF_ChangeFlag_NONE;
    // Every command hands over every parameter: the type's row is looked up once for each.
    const ParamType &type = TypeOf(def);
    // Text lives in the project's strings, which move as the parameter list grows.
    if (const A_char **text = type.text(def)) *text = params[i].text.c_str();
    // The application hands parameters over with their expressions applied.
    if (type.has_stream) type.write(def, params[i].At(t, false), dx, dy);
  }
  array.ptrs.resize(array.defs.size());
  for (std::size_t i = 0; i < array.defs.size(); ++i) array.ptrs[i] = &array.defs[i];
}

std::size_t Session::TakeOverChanged(ParamArray &array, const CommandContext &context) {
  auto &params = project_.effect.params;
  double t = project_.LayerTime(context.time);
  std::size_t changed = 0;
  for (std::size_t i = 0; i < params.size() && i < array.defs.size(); ++i) {
    if (!(array.defs[i].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE) || !params[i].has_stream())
      continue;
    WillChange(UndoHistory::ParamPart(i));
    params[i].stream.Set(t, Ticks(context.time, project_.comp.time_scale),
                         ReadValue(array.defs[i]));
    ++changed;
  }
  return changed;
}

PF_Err Session::Send(PF_Cmd cmd, void *extra, PF_OutData *out, const CommandContext *context) {
  CommandContext ctx = context ? *context : this->context();
  // The array's storage is kept between commands; a command is never sent from inside another.
  ParamArray &array = scratch_params_;
  FillParams(array, ctx);
  PF_Err err =
      SendWithParams(cmd, extra, array.ptrs.empty() ? nullptr : array.ptrs.data(), out, ctx);
  if (cmd == PF_Cmd_USER_CHANGED_PARAM || cmd == PF_Cmd_EVENT) {
    // Values the application takes over from the array are the user's doing: they join the
    // action under way, or are one of their own.
    const bool own = !project_.undo.action_open();
    if (own) project_.undo.BeginAction(cmd == PF_Cmd_EVENT ? "Drag" : "Change Values");
    commands_.back().values_changed = TakeOverChanged(array, ctx);
    if (own) project_.undo.EndAction(project_);
  }
  return err;
}

PF_Err Session::SendWithParams(PF_Cmd cmd, void *extra, PF_ParamDef **params, PF_OutData *out,
                               const CommandContext &context) {
  Session *outer = current_;
  SetCurrent(this);
  current_context_ = context;
  PrepareInData(context);
  PF_OutData local{};
  PF_OutData *out_data = out ? out : &local;
  PF_LayerDef output{};
  CommandRecord record;
  record.cmd = cmd;
  record.first_call = trace_.calls();
  const std::size_t undo_before = project_.undo.size();
  // While the application handles a user's change, what the module changes outside a group of
  // its own is part of that change; at any other time it is an entry named after the call.
  // The command for a user's change always comes with one: the action is the command's own when
  // no one said which it was.
  const bool own_action = cmd == PF_Cmd_USER_CHANGED_PARAM && !project_.undo.action_open();
  if (own_action) {
    const auto *changed = static_cast<const PF_UserChangedParamExtra *>(extra);
    project_.undo.BeginAction(changed ? ChangeName(changed->param_index) : "Change Value");
  }
  project_.undo.BeginCall(UndoCallName(cmd), cmd == PF_Cmd_USER_CHANGED_PARAM,
                          cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER);
  trace_.SetCommand(commands_.size());
  (void)suites_.TakeImbalance();
  try {
    record.err = module_.entry()(cmd, &in_data_, out_data, params, &output, extra);
  } catch (...) {
    // A module must never let an exception reach its host; report it as the failure it is.
    record.err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    record.problems.push_back("an exception escaped the module");
  }
  record.end_call = trace_.calls();
  record.out_flags = out_data->out_flags;
  if (out_data->out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) {
    record.message =
        ModuleText(out_data->return_msg, strnlen(out_data->return_msg, sizeof out_data->return_msg),
                   "the message of command " + std::to_string(cmd));
  }
  for (const auto &[key, n] : suites_.TakeImbalance()) {
    record.problems.push_back("suite \"" + key.first + "\" " + std::to_string(key.second) +
                              (n > 0 ? " acquired " : " released ") +
                              std::to_string(n > 0 ? n : -n) +
                              (n > 0 ? " more times than released" : " more times than acquired"));
  }
  FinishCommand(record);
  if (own_action) project_.undo.EndAction(project_);
  record.undo_entries = project_.undo.size() - undo_before;
  SetCurrent(outer);
  commands_.push_back(record);
  return record.err;
}

void Session::FinishCommand(CommandRecord &record) {
  if (open_param_checkouts_ > 0) {
    record.problems.push_back(std::to_string(open_param_checkouts_) +
                              " parameter checkouts never checked in");
  }
  open_param_checkouts_ = 0;
  for (auto &problem : handles_.EndCommand()) record.problems.push_back(std::move(problem));
  for (auto &problem : handles_.TakeProblems()) record.problems.push_back(std::move(problem));
  for (auto &problem : project_.undo.EndCommand(project_))
    record.problems.push_back(std::move(problem));
  for (const auto &problem : record.problems) problems_.push_back(problem);
}

PF_Err Session::GlobalSetup() {
  PF_OutData out{};
  PF_Err err = Send(PF_Cmd_GLOBAL_SETUP, nullptr, &out);
  global_setup_done_ = err == PF_Err_NONE;
  if (global_setup_done_) {
    global_data_ = out.global_data;
    global_out_flags_ = out.out_flags;
  }
  return err;
}

PF_Err Session::GlobalSetdown() {
  PF_Err err = Send(PF_Cmd_GLOBAL_SETDOWN);
  global_setup_done_ = false;
  global_data_ = nullptr;
  if (handles_.live_count(HandleKind::Memory) != 0) {
    problems_.push_back("memory handles still held after global tear-down");
  }
  return err;
}

PF_Err Session::Apply() {
  if (!global_setup_done_) {
    if (PF_Err err = GlobalSetup()) return err;
  }
  if (PF_Err err = ParamsSetup()) return err;
  return OpenPanel();
}

PF_Err Session::ParamsSetup() {
  EffectInstance &effect = project_.effect;
  effect = EffectInstance();
  EffectParam input;
  input.def.param_type = PF_Param_LAYER;
  effect.params.push_back(input);

  PF_OutData out{};
  PF_Err err = Send(PF_Cmd_PARAMS_SETUP, nullptr, &out);
  if (err) return err;
  if (out.num_params != A_long(effect.params.size())) {
    problems_.push_back("parameter setup reported " + std::to_string(out.num_params) +
                        " parameters but added " + std::to_string(effect.params.size()));
  }
  for (EffectParam &param : effect.params)
    param.stream.value = DefaultValue(param.def, project_.layer);
  effect.applied = true;
  return PF_Err_NONE;
}

RenderResult Session::Render(const CommandContext &context, int depth) {
  RenderResult result;
  // The last render's buffers are written again for the next one rather than made anew (a drag
  // renders at every mouse move).
  Image input = std::move(render_.input), output = std::move(render_.output);
  render_ = RenderState();
  last_render_time_ = context.time;
  render_.depth = depth;
  const A_long w = Scaled(project_.layer.width, context.downsample_x);
  const A_long h = Scaled(project_.layer.height, context.downsample_y);

  PF_PreRenderInput pre_in{};
  pre_in.output_request.rect = PF_LRect{0, 0, w, h};
  pre_in.output_request.channel_mask = 0xF;
  pre_in.bitdepth = A_short(depth);
  PF_PreRenderOutput pre_out{};
  pre_out.result_rect = kUnwrittenRect;
  pre_out.max_result_rect = kUnwrittenRect;
  PF_PreRenderCallbacks pre_cb{};
  InstallRenderCallbacks(pre_cb);
  PF_PreRenderExtra pre{&pre_in, &pre_out, &pre_cb};
  PF_OutData out{};
  result.pre_render_err = SendWithParams(PF_Cmd_SMART_PRE_RENDER, &pre, nullptr, &out, context);
  result.result_rect = pre_out.result_rect;
  result.max_result_rect = pre_out.max_result_rect;
  if (result.pre_render_err) return result;

  // The layer as pre-render asked for it: at its time, with or without the colour of transparent
  // pixels. Rendering the same frame again reuses it.
  const long frame = std::lround(render_.layer_time * project_.comp.fps);
  static thread_local Image pattern;
  static thread_local long pattern_frame = 0;
  static thread_local bool pattern_keeps_colour = false;
  if (pattern.width != w || pattern.height != h || pattern.depth != depth ||
      pattern_frame != frame || pattern_keeps_colour != render_.keep_colour) {
    pattern = LayerPixels(w, h, depth, frame, render_.keep_colour);
    pattern_frame = frame;
    pattern_keeps_colour = render_.keep_colour;
  }
  input = pattern;
  render_.input = std::move(input);
  // The output starts as a sentinel inside a guard band, so a render that leaves pixels unwritten
  // or writes outside its buffer shows.
  if (output.width != w || output.height != h || output.depth != depth)
    output = Image(w, h, depth, 2);
  output.FillSentinel();
  render_.output = std::move(output);
  PF_SmartRenderInput in{};
  in.output_request = pre_in.output_request;
  in.bitdepth = A_short(depth);
  PF_SmartRenderCallbacks cb{};
  InstallRenderCallbacks(cb);
  PF_SmartRenderExtra extra{&in, &cb};
  PF_OutData render_out{};
  result.render_err = SendWithParams(PF_Cmd_SMART_RENDER, &extra, nullptr, &render_out, context);
  result.rendered = result.render_err == PF_Err_NONE;
  result.output_equals_input = SamePixels(render_.input, render_.output);
  result.output_guard_intact = render_.output.GuardIntact();
  result.input_unchanged = SamePixels(render_.input, pattern);
  return result;
}

std::string Session::AboutText() {
  PF_OutData out{};
  Send(PF_Cmd_ABOUT, nullptr, &out);
  const std::string about =
      ModuleText(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg), "the About text");
  // The command has been recorded already; its problem belongs to the session as well.
  for (auto &problem : handles_.TakeProblems()) problems_.push_back(std::move(problem));
  return about;
}

std::string Session::ModuleText(const char *text, std::size_t length, const std::string &what) {
  if (!text) return std::string();
  const std::string_view given(text, length);
  if (IsUtf8(given)) return std::string(given);
  // The problem shows the bytes that do not read as UTF-8, so that they can be found.
  std::string shown;
  for (std::size_t i = 0; i < given.size();) {
    const std::size_t n = Utf8SequenceAt(given, i);
    if (n == 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(given[i]));
      shown += hex;
      ++i;
    } else {
      shown.append(given.substr(i, n));
      i += n;
    }
  }
  handles_.Report(what + " is not UTF-8: \"" + shown + "\"");
  return ValidUtf8(given);
}

}  // namespace orvane::host
