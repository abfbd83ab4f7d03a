#include "scenario/ProjectOpen.h"

#include <cmath>
#include <algorithm>
#include <set>

#include "model/Errors.h"
#include "model/ParamTypes.h"
#include "report/Format.h"
#include "report/Names.h"
#include "report/ProjectFile.h"
#include "scenario/JsonValues.h"
#include "scenario/ScenarioFile.h"
#include "scenario/Setup.h"
#include "scenario/ValueReaders.h"

namespace orvane::host {

namespace {

const Json &Field(const Json &obj, const char *key, const std::string &where) {
  if (!obj.is_object() || !obj.contains(key)) throw BadInput(where + " has no \"" + key + "\"");
  return obj.at(key);
}

StreamValue Raw(const Json &v, const std::string &where) {
  if (!v.is_array() || v.size() != 4)
    throw BadInput(where + ": \"raw\" is the four numbers the project holds");
  StreamValue out;
  for (int i = 0; i < 4; ++i) {
    if (!v[std::size_t(i)].is_number() || !std::isfinite(v[std::size_t(i)].get<double>()))
      throw BadInput(where + ": \"raw\" is the four numbers the project holds");
    out.v[i] = v[std::size_t(i)].get<double>();
  }
  return out;
}

// A whole number of the file, read as the file has it: 18446744073709551615 is not -1.
bool WholeNumber(const Json &v, double lo, double hi, long long *out) {
  if (v.is_number_unsigned()) {
    const unsigned long long u = v.get<unsigned long long>();
    if (double(u) > hi || u > 9007199254740992ull) return false;
    *out = static_cast<long long>(u);
  } else if (v.is_number_integer()) {
    *out = v.get<long long>();
  } else {
    return false;
  }
  return double(*out) >= lo && double(*out) <= hi;
}

A_Time Ticks(const Json &key, const std::string &where) {
  const Json &tick = Field(key, "tick", where), &scale = Field(key, "scale", where);
  long long t = 0, s = 0;
  if (!WholeNumber(tick, -kMaxTicks, kMaxTicks, &t) || !WholeNumber(scale, 1, 1e9, &s))
    throw BadInput(where +
                   ": \"tick\" is a whole number of ticks within the 32-bit range and \"scale\" "
                   "the ticks a second, a whole number from 1 to 1,000,000,000");
  return A_Time{A_long(t), A_u_long(s)};
}

// A key's own time in layer seconds, given beside `at`, the time it was given in ticks. A key may
// lie outside the composition, as a module may put one there, but its time fits the 32-bit ticks
// as layer time and as composition time, and its tick is that composition time.
double KeyTime(double t, A_Time at, const Project &project, const std::string &where) {
  const double comp_time = project.CompTime(t);
  const double scale = project.comp.time_scale;
  if (std::fabs(t) * scale > kMaxTicks || std::fabs(comp_time) * scale > kMaxTicks)
    throw BadInput(where + ": \"layer_time\" is " + NumberText(t) +
                   " s, which at a time_scale of " + CountText(scale) + " is more than the " +
                   CountText(kMaxTicks) + " ticks a time can hold");
  const double given = comp_time * double(at.scale);
  if (!(std::fabs(given - double(at.value)) <= 0.5 + 1e-9 * std::fabs(given)))
    throw BadInput(where + ": \"tick\" " + std::to_string(at.value) + " at \"scale\" " +
                   std::to_string(at.scale) + " is " + NumberText(double(at.value) / at.scale) +
                   " s, but \"layer_time\" " + NumberText(t) + " s is " + NumberText(comp_time) +
                   " s in composition time");
  return t;
}

double KeyTime(const Json &key, A_Time at, const Project &project, const std::string &where) {
  const Json &v = Field(key, "layer_time", where);
  if (!v.is_number() || !std::isfinite(v.get<double>()))
    throw BadInput(where + ": \"layer_time\" must be a time in seconds");
  return KeyTime(v.get<double>(), at, project, where);
}

// Keys are kept in time order whatever the file's order, and one time holds one key.
template <typename Time>
void OneKeyATime(std::size_t count, Time time, const std::string &where) {
  for (std::size_t i = 1; i < count; ++i) {
    if (time(i) == time(i - 1))
      throw BadInput(where + " has two keyframes at " + NumberText(time(i)) +
                     " s (layer time); a time holds one keyframe");
  }
}

bool Flag(const Json &obj, const char *key, const std::string &where) {
  const Json &v = Field(obj, key, where);
  if (!v.is_boolean()) throw BadInput(where + ": \"" + key + "\" is true or false");
  return v.get<bool>();
}

Outline OutlineFrom(const Json &mask, const std::string &where, const Limits &limits) {
  Outline o;
  o.open = !Flag(mask, "closed", where);
  const Json &vs = Field(mask, "vertices", where);
  if (!vs.is_array() || vs.size() > limits.max_vertices)
    throw BadInput(where + ": \"vertices\" is a list of at most " +
                   CountText(double(limits.max_vertices)) + " vertices");
  for (const Json &v : vs) o.vertices.push_back(VertexFromJson(v));
  return o;
}

void LoadParams(Project &project, const Json &params) {
  if (!params.is_object()) throw BadInput("\"params\" must be an object");
  for (const auto &[name, saved] : params.items()) {
    const std::string where = "parameter \"" + name + "\"";
    const int index = project.effect.FindParam(name);
    if (index < 0 || !project.effect.params[std::size_t(index)].has_stream())
      throw BadInput(where + " is not a parameter of this effect that holds a value");
    EffectParam &param = project.effect.params[std::size_t(index)];
    param.stream.value = Raw(Field(saved, "raw", where), where);
    CheckHeldValue(param, param.stream.value);
    param.hidden = Flag(saved, "hidden", where);
    const Json &keys = Field(saved, "keyframes", where);
    if (!keys.is_array()) throw BadInput(where + ": \"keyframes\" must be a list");
    if ((param.def.flags & PF_ParamFlag_CANNOT_TIME_VARY) && !keys.empty())
      throw BadInput(where + " cannot be animated, so it has no keyframes");
    param.stream.keys.clear();
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const std::string at = where + " keyframe " + std::to_string(k);
      const A_Time ticks = Ticks(keys[k], at);
      Keyframe<StreamValue> key{KeyTime(keys[k], ticks, project, at), ticks,
                                Raw(Field(keys[k], "raw", at), at)};
      CheckHeldValue(param, key.value);
      param.stream.keys.push_back(key);
    }
    auto &list = param.stream.keys;
    std::stable_sort(list.begin(), list.end(),
                     [](const auto &a, const auto &b) { return a.time < b.time; });
    OneKeyATime(
        list.size(), [&](std::size_t i) { return list[i].time; }, where);
    param.stream.Changed();
    param.expression.reset();
    if (saved.contains("raw_expression")) {
      param.expression = Raw(saved.at("raw_expression"), where);
      CheckHeldExpression(param, *param.expression);
    }
  }
}

void LoadMasks(Project &project, SavedProject &file, const Limits &limits) {
  if (!file.has_masks) {
    const Json &masks = Field(file.fields, "masks", "the file");
    if (!masks.is_array()) throw BadInput("\"masks\" must be a list");
  }
  std::set<AEGP_MaskIDVal> ids;
  for (std::size_t i = 0; i < file.masks.size(); ++i) {
    const Json &saved = file.masks[i].fields;
    const std::string where = "mask " + std::to_string(i);
    const Json &index = Field(saved, "index", where);
    if (!index.is_number_unsigned() || index.get<unsigned long long>() != i)
      throw BadInput(where + ": \"index\" is " + index.dump() +
                     "; masks are listed in the order of their indices, from 0");
    Mask mask;
    const Json &id = Field(saved, "id", where);
    if (!id.is_number_unsigned() || id.get<unsigned long long>() == 0 ||
        id.get<unsigned long long>() > 0xFFFFFFFFull)
      throw BadInput(where + ": \"id\" is a whole number from 1");
    mask.id = AEGP_MaskIDVal(id.get<unsigned long long>());
    if (!ids.insert(mask.id).second)
      throw BadInput(where + ": id " + std::to_string(mask.id) + " is another mask's");
    const Json &c = Field(saved, "color", where);
    if (!c.is_array() || c.size() != 4) throw BadInput(where + ": \"color\" is [a, r, g, b]");
    double argb[4];
    for (int k = 0; k < 4; ++k) {
      const Json &x = c[std::size_t(k)];
      if (!x.is_number() || !(x.get<double>() >= 0 && x.get<double>() <= 1))
        throw BadInput(where + ": \"color\" is [a, r, g, b], each from 0 to 1");
      argb[k] = x.get<double>();
    }
    mask.color = AEGP_ColorVal{argb[0], argb[1], argb[2], argb[3]};
    mask.outline.value = OutlineFrom(saved, where, limits);
    if (!file.masks[i].has_keys) throw BadInput(where + " has no \"keyframes\"");
    OutlineKeys &keys = file.masks[i].keys;
    for (std::size_t k = 0; k < keys.size(); ++k)
      KeyTime(keys.time(k), keys.at(k), project, where + " keyframe " + std::to_string(k));
    keys.SortByTime();
    OneKeyATime(
        keys.size(), [&](std::size_t k) { return keys.time(k); }, where);
    mask.outline.keys = std::move(keys);
    if (saved.contains("expression"))
      mask.expression = OutlineExpressionFromJson(saved.at("expression"));
    mask.outline.Changed();
    project.layer.masks.push_back(std::move(mask));
  }
}

}  // namespace

void OpenProject(Session &session, SavedProject &&saved, const std::string &origin,
                 const Limits &limits, std::size_t steps_to_come) {
  const Json &file = saved.fields;
  try {
    if (!file.is_object() || !file.contains("orvane_project"))
      throw BadInput("not a saved project (it has no \"orvane_project\" version)");
    if (file.at("orvane_project") != kProjectFileVersion)
      throw BadInput("project file version " + file.at("orvane_project").dump() +
                     " is not one this host reads (it reads version " +
                     std::to_string(kProjectFileVersion) + ")");
    // The project the session had is closed, as the application closes it.
    if (session.global_setup_done()) session.GlobalSetdown();
    Project &project = session.project();
    static_cast<ProjectModel &>(project) = ProjectModel();
    project.undo.Clear();
    const Json sections = {{"comp", Field(file, "comp", "the file")},
                           {"layer", Field(file, "layer", "the file")}};
    CheckScenarioLimits(sections, limits);
    ConfigureProject(project, sections);
    CheckProjectLimits(project, session.view(), limits);
    CheckRunLimits(project, steps_to_come, limits);
    const Json &time = Field(file, "time", "the file");
    if (!time.is_number()) throw BadInput("\"time\" must be a time in seconds");
    InsideComposition(time.get<double>(), project.comp, "\"time\"");
    project.time = time.get<double>();
    LoadMasks(project, saved, limits);
    const Json &next = Field(file, "next_mask", "the file");
    const Json &id = Field(next, "id", "\"next_mask\""),
               &palette = Field(next, "palette", "\"next_mask\"");
    if (!id.is_number_unsigned() || !palette.is_number_unsigned() ||
        id.get<unsigned long long>() > 0xFFFFFFFFull)
      throw BadInput(
          "\"next_mask\" is the next mask's \"id\" and \"palette\" index, whole numbers");
    // A new mask takes this id: one a mask has already would make two masks with one id.
    for (const Mask &mask : project.layer.masks) {
      if (id.get<unsigned long long>() <= mask.id)
        throw BadInput("\"next_mask\" \"id\" " + id.dump() +
                       " must be greater than every mask's id (mask " +
                       std::to_string(&mask - project.layer.masks.data()) + " has " +
                       std::to_string(mask.id) + ")");
    }
    project.layer.SetNext(AEGP_MaskIDVal(id.get<unsigned long long>()), palette.get<std::size_t>());
    if (PF_Err err = session.GlobalSetup())
      throw ModuleFailed("the module's global setup returned error " + std::to_string(err) + " (" +
                         ErrorName(err) + "), so the project cannot be opened");
    if (PF_Err err = session.ParamsSetup())
      throw ModuleFailed("the module's parameter setup returned error " + std::to_string(err) +
                         " (" + ErrorName(err) + "), so the project cannot be opened");
    LoadParams(project, Field(file, "params", "the file"));
  } catch (const BadInput &e) {
    throw BadInput(origin + ": " + e.what());
  } catch (const ModuleFailed &e) {
    throw ModuleFailed(origin + ": " + e.what());
  } catch (const Json::exception &) {
    throw BadInput(origin + ": a value has the wrong type or is out of range");
  }
  session.OpenPanel();
}

}  // namespace orvane::host
