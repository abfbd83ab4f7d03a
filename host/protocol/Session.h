// The headless application: it owns the loaded module, the project, the suites it publishes and
// the bookkeeping of every call, and it sends the module its commands as the application would.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AE_EffectCB.h"
#include "model/DrawingSurface.h"
#include "model/Image.h"
#include "model/Project.h"
#include "model/View.h"
#include "protocol/CallTrace.h"
#include "protocol/HandleTable.h"
#include "protocol/Module.h"
#include "protocol/SuiteRegistry.h"

namespace orvane::host {

struct CommandRecord {
  PF_Cmd cmd = 0;
  PF_Err err = 0;
  A_long out_flags = 0;
  std::string message;                // return_msg, when the module asked for it to be shown
  std::vector<std::string> problems;  // leaks, misuse, open undo groups, exceptions
  std::size_t first_call = 0;         // range of this command's host calls in the trace
  std::size_t end_call = 0;
  std::size_t undo_entries = 0;    // entries the command added to the undo history
  std::size_t values_changed = 0;  // parameter values the module changed through the array
};

// Where a command is evaluated: the current time and the render's downsample factors.
struct CommandContext {
  double time = 0;  // composition time, seconds
  PF_RationalScale downsample_x{1, 1};
  PF_RationalScale downsample_y{1, 1};
};

// The buffers of one render: the layer's pixels and the effect's output.
struct RenderState {
  int depth = 8;
  Image input;
  Image output;
  bool layer_checked_out = false;  // checkout id 0 was requested in pre-render
  // What pre-render asked of the layer: the time (layer seconds) and whether transparent pixels
  // are to keep their colour.
  double layer_time = 0;
  bool keep_colour = false;
};

// What pre-render's output rectangles hold when handed over: empty, as a module unions its
// layers' rectangles into them, but not zero, so that a module that writes them after a failure
// (a union of nothing gives zeros) shows.
constexpr PF_LRect kUnwrittenRect{23, 23, 23, 23};

struct RenderResult {
  PF_Err pre_render_err = 0;
  PF_Err render_err = 0;
  bool rendered = false;
  bool output_equals_input = false;
  bool output_guard_intact = true;  // nothing written around the output
  bool input_unchanged = true;      // the layer's pixels as they were handed over
  PF_LRect result_rect{};
  PF_LRect max_result_rect{};
};

struct EventResult {
  PF_Err err = 0;
  bool handled = false;
  PF_EventExtra extra{};
};

class Session {
 public:
  explicit Session(Module &module);
  ~Session();
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  // The session whose module is being driven; host functions find their state through it, most
  // of them several times a call, so it is found inline.
  static Session &Current() { return *current_; }

  Module &module() { return module_; }
  SuiteRegistry &suites() { return suites_; }
  CallTrace &trace() { return trace_; }
  HandleTable &handles() { return handles_; }
  Project &project() { return project_; }
  const Project &project() const { return project_; }

  // Sends one command with the parameters at the context's time; `out` may be given to see
  // (or pre-fill) the out-data block. The result is also appended to commands().
  PF_Err Send(PF_Cmd cmd, void *extra = nullptr, PF_OutData *out = nullptr,
              const CommandContext *context = nullptr);
  PF_Err SendWithParams(PF_Cmd cmd, void *extra, PF_ParamDef **params, PF_OutData *out,
                        const CommandContext &context);

  // The application's actions.
  PF_Err GlobalSetup();
  PF_Err GlobalSetdown();
  // Applies the effect: global setup if not yet done, parameter setup, the UI update.
  PF_Err Apply();
  // Parameter setup alone, on a fresh effect instance, with every parameter at its default.
  PF_Err ParamsSetup();
  std::string AboutText();
  // Smart pre-render and smart render at a context, at a bit depth of 8, 16 or 32.
  RenderResult Render(const CommandContext &context, int depth = 8);
  // The user is about to change the project: an entry named `name` in the undo history, which
  // the next ParamChanged (or the undo history's EndAction) ends.
  // `part` is what the user changes (anything, unless said).
  void BeginUserChange(const std::string &name, UndoHistory::Part part = {});
  // The reaction of the application to a parameter the user changed (or a button pressed): the
  // supervised command (the end of the user's undo entry), then what follows an action.
  void ParamChanged(int index);

  // The module is about to change the project through the host's functions: the undo history
  // keeps the project as it was, and the change is counted, so that what follows an action can
  // tell whether it changed anything without comparing the project whole.
  struct Changes {
    std::uint64_t any = 0;
    std::uint64_t params = 0;  // of them, to the effect's parameter values
  };
  void WillChange(UndoHistory::Part part) {
    project_.WillChange(part);
    ++changes_.any;
    if (part.kind != UndoHistory::Part::Model) ++changes_.params;
  }
  // An action of the user: where its commands start, and the changes counted before it.
  struct Action {
    std::size_t first_command = 0;
    Changes changes;
    double time = 0;  // composition time of the frame the action is seen at
    // The render that follows, at the window's resolution while the mouse is down (as the
    // application renders the composition window at its zoom), full size otherwise.
    int downsample = 1;
  };
  Action BeginAction(double time) const { return Action{commands_.size(), changes_, time, 1}; }
  Action BeginAction() const { return BeginAction(project_.time); }
  // Sends what the application sends once an action has been handled, and only that: the UI
  // update when a parameter value changed and global setup asked for it; the Effect Controls
  // panel redrawn when a command of the action asked for it; a render of the frame when the
  // project changed or a command asked for one. `by_user` and `params_by_user` say that the
  // user's own change (to the project, to a parameter value) was part of the action.
  void FinishAction(const Action &action, bool by_user, bool params_by_user);
  // Draws the Effect Controls panel anew: each control shown or hidden as its flag now says.
  void RedrawPanel();
  // The Effect Controls panel as it first appears with an effect applied or a project opened:
  // drawn, then brought up to date by the UI update when the module asked for one.
  PF_Err OpenPanel();

  RenderState &render_state() { return render_; }
  // The composition time of the last render (none before the first): the frame the windows show.
  const std::optional<double> &last_render_time() const { return last_render_time_; }

  // Custom-UI events in the composition and layer windows, at a composition time.
  View &view() { return view_; }
  EventResult SendEvent(WindowKind window, PF_EventExtra &extra, double time);
  EventResult Draw(WindowKind window, double time);
  // Mouse-down at the first point, a drag event at each next one, the last being the release;
  // values the module changed are taken over after each event and the frame re-rendered.
  // Returns whether the module took the mouse-down.
  bool Drag(WindowKind window, const std::vector<Point2> &points, double time);
  // The same gesture a phase at a time, as a person's mouse gives it: the press (a click when
  // `click`, released where it went down), then one drag event per move, `release` on the last.
  // Drag() is these calls in a row. MouseDown returns whether the module took the press.
  bool MouseDown(WindowKind window, Point2 point, double time, bool click);
  void MouseMove(Point2 point, bool release);
  // Whether the module took a press and still wants its drag events.
  bool mouse_held() const { return gesture_.held; }
  // What the last draw event drew, and whether one is under way.
  DrawingSurface &surface() { return surface_; }
  const std::vector<DrawOp> &drawing() const { return surface_.ops(); }
  PF_ContextH context_handle(WindowKind window) {
    return window == WindowKind::Comp ? &comp_context_p_ : &layer_context_p_;
  }
  // The context of the window whose event is under way (null outside events): the one context
  // the event's callbacks accept, as each window's context is its own.
  PF_ContextH event_context() const { return event_context_; }
  // A context as the trace shows it: the window it belongs to.
  const char *ContextName(PF_ContextH context) {
    if (!context) return nullptr;
    if (context == context_handle(WindowKind::Comp)) return "comp window";
    if (context == context_handle(WindowKind::Layer)) return "layer window";
    return "unknown context";
  }
  // The context of the command being sent; parameter checkouts use its downsample factors.
  const CommandContext &current_context() const { return current_context_; }
  int &open_param_checkouts() { return open_param_checkouts_; }

  bool global_setup_done() const { return global_setup_done_; }
  PF_Handle global_data() const { return global_data_; }
  AEGP_PluginID IssuePluginId() {
    issued_ids_.push_back(next_plugin_id_);
    return next_plugin_id_++;
  }
  bool IsIssuedPluginId(AEGP_PluginID id) const {
    for (AEGP_PluginID issued : issued_ids_) {
      if (issued == id) return true;
    }
    return false;
  }

  const std::vector<CommandRecord> &commands() const { return commands_; }
  std::vector<std::string> &problems() { return problems_; }
  // Text the module hands over (`what` names it: "the undo name"), as the project keeps it: a
  // text that is not UTF-8 is reported as the module's problem and kept with U+FFFD for what
  // cannot be read.
  std::string ModuleText(const char *text, std::size_t length, const std::string &what);
  std::string ModuleText(const char *text, const std::string &what) {
    return ModuleText(text, text ? std::strlen(text) : 0, what);
  }

  // The parameter array at a context, as the application hands it with a command.
  struct ParamArray {
    std::vector<PF_ParamDef> defs;
    std::vector<PF_ParamDef *> ptrs;
  };
  ParamArray BuildParams(const CommandContext &context);
  void FillParams(ParamArray &array, const CommandContext &context);
  // Takes over values the module marked PF_ChangeFlag_CHANGED_VALUE in a parameter array;
  // returns how many.
  std::size_t TakeOverChanged(ParamArray &array, const CommandContext &context);

  // The application the module is told it runs in (in_data->appl_id).
  static constexpr A_long kAfterEffects = 0x46585443;  // 'FXTC'
  static constexpr A_long kPremierePro = 0x50724d72;   // 'PrMr'
  A_long appl_id() const { return appl_id_; }
  void set_appl_id(A_long id) { appl_id_ = id; }

  PF_ProgPtr effect_ref() const { return effect_ref_; }
  bool IsEffectRef(PF_ProgPtr ref) const { return ref == effect_ref_; }
  CommandContext context() const;

 private:
  static inline Session *current_ = nullptr;
  static void SetCurrent(Session *session);
  void PrepareInData(const CommandContext &context);
  // The undo name of the user's change of a parameter: "Change "Width 1"", "Press "Create Mask"".
  std::string ChangeName(int index) const;
  void FinishCommand(CommandRecord &record);

  Module &module_;
  SuiteRegistry suites_;
  CallTrace trace_;
  HandleTable handles_;
  Project project_;
  PF_InData in_data_{};
  PF_UtilCallbacks utils_{};
  char effect_token_ = 0;
  PF_ProgPtr effect_ref_;
  A_long appl_id_ = kAfterEffects;
  bool global_setup_done_ = false;
  A_long global_out_flags_ = 0;  // what the module asked for at global setup
  Changes changes_;
  PF_Handle global_data_ = nullptr;
  // Plug-in ids start at an arbitrary small number rather than 0 or 1, so that a module that
  // passes an id it was never given (a zeroed field, a constant) is told apart.
  AEGP_PluginID next_plugin_id_ = 7;
  std::vector<AEGP_PluginID> issued_ids_;
  std::vector<CommandRecord> commands_;
  RenderState render_;
  std::optional<double> last_render_time_;
  ParamArray scratch_params_;
  View view_;
  DrawingSurface surface_;
  // The mouse gesture under way: its window and time, and the event record the module sees.
  struct Gesture {
    bool held = false;
    WindowKind window = WindowKind::Comp;
    double time = 0;
    PF_EventExtra extra{};
  } gesture_;
  // Each window's context record; its first field is a tag ('ORVC', 'ORVL') that says whose it
  // is when a trace or a debugger shows one.
  PF_Context comp_context_{0x4F525643, PF_Window_COMP, 0, {0, 0, 0, 0}};
  PF_Context layer_context_{0x4F52564C, PF_Window_LAYER, 0, {0, 0, 0, 0}};
  PF_ContextP comp_context_p_ = &comp_context_;
  PF_ContextP layer_context_p_ = &layer_context_;
  CommandContext current_context_;
  PF_ContextH event_context_ = nullptr;
  int open_param_checkouts_ = 0;
  std::vector<std::string> problems_;
  Session *previous_ = nullptr;
};

// Every host function starts here, with the arguments the module gave it (inputs only; handles
// wrapped in H(), values given by pointer in In()): its call is counted, may be made to fail,
// and is traced with its arguments when a trace was asked for. The function's result is
// recorded as it returns by the Traced<F> wrapper in its suite table.
#define ORVANE_HOST_ENTER(name, ...) ORVANE_HOST_ENTER_AS(name, 0u, ##__VA_ARGS__)
// The same, for a function of a kind the trace must know of (HostFunctionTrait).
#define ORVANE_HOST_ENTER_AS(name, traits, ...)                             \
  do {                                                                      \
    if (PF_Err planned_ = ::orvane::host::Session::Current().trace().Enter( \
            ::orvane::host::HostFunction{name, traits}, ##__VA_ARGS__))     \
      return planned_;                                                      \
  } while (0)

// Release functions do their work even when a fault is planned for them, then report the fault:
// a host that fails to release must not make the module look as if it leaked. `work` is the
// release itself; the arguments follow it.
#define ORVANE_HOST_RELEASE(name, work, ...) ORVANE_HOST_RELEASE_AS(name, 0u, work, ##__VA_ARGS__)
#define ORVANE_HOST_RELEASE_AS(name, traits, work, ...)                                            \
  do {                                                                                             \
    ::orvane::host::CallTrace &trace_ = ::orvane::host::Session::Current().trace();                \
    PF_Err planned_ = trace_.Enter(                                                                \
        ::orvane::host::HostFunction{name, ::orvane::host::kGivesBack | (traits)}, ##__VA_ARGS__); \
    PF_Err result_ = (work);                                                                       \
    result_ = planned_ ? planned_ : result_;                                                       \
    trace_.Leave(result_);                                                                         \
    return result_;                                                                                \
  } while (0)

}  // namespace orvane::host
