// Reading a project file as a stream: the file's parts as JSON, each mask's keys straight into
// the project's compact keys, within limits on what the file holds rather than on its bytes.
// What the parts mean is checked when the project is opened (ProjectOpen.cpp).
#include <cmath>

#include "model/Errors.h"
#include "report/Format.h"
#include "scenario/JsonStream.h"
#include "scenario/ProjectOpen.h"

namespace orvane::host {

namespace {

struct Reader {
  JsonStream in;
  const Limits &limits;
  std::size_t keys = 0, vertices = 0;  // in all, so far

  [[noreturn]] void Refuse(const std::string &why) { throw BadInput(in.path() + ": " + why); }

  // A whole number within [lo, hi], as the file writes it.
  long long Whole(double lo, double hi, const std::string &what) {
    const char c = in.Peek();
    if (c != '-' && (c < '0' || c > '9')) Refuse(what);
    const JsonStream::Number n = in.TakeNumber();
    if (!n.whole || !n.whole_fits || n.magnitude > (std::uint64_t(1) << 53)) Refuse(what);
    const double v = n.negative ? -double(n.magnitude) : double(n.magnitude);
    if (v < lo || v > hi) Refuse(what);
    return static_cast<long long>(v);
  }

  double Finite(const std::string &what) {
    const char c = in.Peek();
    if (c != '-' && (c < '0' || c > '9')) Refuse(what);
    const double v = in.TakeNumber().value;
    if (!std::isfinite(v)) Refuse(what);
    return v;
  }

  void Vertices(Outline &outline, const std::string &where) {
    if (in.Peek() != '[') Refuse(where + ": \"vertices\" is a list of vertices");
    in.Array([&](std::size_t i) {
      if (i >= limits.max_vertices)
        Refuse(where + ": \"vertices\" is a list of at most " +
               CountText(double(limits.max_vertices)) + " vertices");
      if (++vertices > limits.max_project_vertices)
        Refuse("the file holds more than " + CountText(double(limits.max_project_vertices)) +
               " keyframe vertices");
      double c[6] = {0, 0, 0, 0, 0, 0};
      std::size_t n = 0;
      const char *form = ": a vertex is [x, y] or [x, y, in_x, in_y, out_x, out_y] of numbers";
      if (in.Peek() != '[') Refuse(where + form);
      in.Array([&](std::size_t k) {
        if (k >= 6) Refuse(where + form);
        c[k] = Finite(where + form);
        n = k + 1;
      });
      if (n != 2 && n != 6) Refuse(where + form);
      outline.vertices.push_back(AEGP_MaskVertex{c[0], c[1], c[2], c[3], c[4], c[5]});
    });
  }

  // {"tick", "scale", "time", "layer_time", "closed", "vertices"}: the key in its mask's list.
  void Key(OutlineKeys &list, const std::string &where) {
    if (in.Peek() != '{') Refuse(where + " is an object");
    const char *ticks =
        ": \"tick\" is a whole number of ticks within the 32-bit range and \"scale\" the ticks a "
        "second, a whole number from 1 to 1,000,000,000";
    A_Time at{0, 0};
    double t = 0;
    bool closed = false;
    Outline outline;
    unsigned seen = 0;
    in.Object([&](const std::string &key) {
      if (key == "tick") {
        at.value = A_long(Whole(-kMaxTicks, kMaxTicks, where + ticks));
        seen |= 1;
      } else if (key == "scale") {
        at.scale = A_u_long(Whole(1, 1e9, where + ticks));
        seen |= 2;
      } else if (key == "layer_time") {
        t = Finite(where + ": \"layer_time\" must be a time in seconds");
        seen |= 4;
      } else if (key == "closed") {
        if (in.Peek() != 't' && in.Peek() != 'f') Refuse(where + ": \"closed\" is true or false");
        closed = in.TakeBool();
        seen |= 8;
      } else if (key == "vertices") {
        Vertices(outline, where);
        seen |= 16;
      } else if (key == "time") {
        Finite(where + ": \"time\" is the key's time in composition seconds");  // for people
      } else {
        in.TakeValue();
      }
    });
    const char *names[] = {"tick", "scale", "layer_time", "closed", "vertices"};
    for (int i = 0; i < 5; ++i) {
      if (!(seen & (1u << i))) Refuse(where + " has no \"" + names[i] + "\"");
    }
    outline.open = !closed;
    list.Append(t, at, outline);
  }

  void Mask(SavedProject &project, std::size_t i) {
    const std::string where = "mask " + std::to_string(i);
    if (i >= limits.max_masks)
      Refuse("the file holds more than " + CountText(double(limits.max_masks)) + " masks");
    if (in.Peek() != '{') Refuse(where + " is an object");
    SavedProject::SavedMask mask;
    in.Object([&](const std::string &key) {
      if (key != "keyframes") {
        mask.fields[key] = in.TakeValue();
        return;
      }
      mask.has_keys = true;
      if (in.Peek() != '[') Refuse(where + ": \"keyframes\" must be a list");
      in.Array([&](std::size_t k) {
        if (k >= limits.max_keys)
          Refuse(where + " has more than " + CountText(double(limits.max_keys)) + " keyframes");
        if (++keys > limits.max_project_keys)
          Refuse("the file holds more than " + CountText(double(limits.max_project_keys)) +
                 " keyframes");
        Key(mask.keys, where + " keyframe " + std::to_string(k));
      });
    });
    project.masks.push_back(std::move(mask));
  }
};

}  // namespace

SavedProject ReadProjectFile(const std::string &path, const Limits &limits) {
  Reader r{JsonStream(path, limits.max_file_bytes, limits.max_nesting), limits};
  SavedProject project;
  if (r.in.Peek() != '{') r.in.Fail("a project file is a JSON object");
  r.in.Object([&](const std::string &key) {
    if (key != "masks" || r.in.Peek() != '[') {
      project.fields[key] = r.in.TakeValue();
      return;
    }
    project.has_masks = true;
    r.in.Array([&](std::size_t i) { r.Mask(project, i); });
  });
  r.in.End();
  return project;
}

}  // namespace orvane::host
