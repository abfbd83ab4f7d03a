#include "scenario/ProjectOpen.h"

#include <cmath>
#include <cstdlib>

#include "model/Errors.h"
#include "model/ParamTypes.h"
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

double Time(const Json &obj, const char *key, const std::string &where) {
  const Json &v = Field(obj, key, where);
  if (!v.is_number() || !std::isfinite(v.get<double>()) || std::fabs(v.get<double>()) > 1e9)
    throw BadInput(where + ": \"" + key + "\" must be a time in seconds");
  return v.get<double>();
}

A_Time Ticks(const Json &key, const std::string &where) {
  const Json &tick = Field(key, "tick", where), &scale = Field(key, "scale", where);
  if (!tick.is_number_integer() || !scale.is_number_integer() || scale.get<long long>() <= 0 ||
      scale.get<long long>() > 1000000000 || std::llabs(tick.get<long long>()) > 2147483647)
    throw BadInput(where + ": \"tick\" and \"scale\" are whole ticks and ticks a second");
  return A_Time{A_long(tick.get<long long>()), A_u_long(scale.get<long long>())};
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
                   std::to_string(limits.max_vertices) + " vertices");
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
    param.hidden = Flag(saved, "hidden", where);
    const Json &keys = Field(saved, "keyframes", where);
    if (!keys.is_array()) throw BadInput(where + ": \"keyframes\" must be a list");
    param.stream.keys.clear();
    for (const Json &key : keys) {
      param.stream.SetKey(Time(key, "layer_time", where), Ticks(key, where),
                          Raw(Field(key, "raw", where), where));
    }
    param.expression.reset();
    if (saved.contains("raw_expression")) param.expression = Raw(saved.at("raw_expression"), where);
  }
}

void LoadMasks(Project &project, const Json &masks, const Limits &limits) {
  if (!masks.is_array()) throw BadInput("\"masks\" must be a list");
  for (std::size_t i = 0; i < masks.size(); ++i) {
    const Json &saved = masks[i];
    const std::string where = "mask " + std::to_string(i);
    Mask mask;
    const Json &id = Field(saved, "id", where);
    if (!id.is_number_unsigned() || id.get<unsigned long long>() == 0 ||
        id.get<unsigned long long>() > 0xFFFFFFFFull)
      throw BadInput(where + ": \"id\" is a whole number from 1");
    mask.id = AEGP_MaskIDVal(id.get<unsigned long long>());
    if (project.MaskIndexById(mask.id) >= 0)
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
    const Json &keys = Field(saved, "keyframes", where);
    if (!keys.is_array()) throw BadInput(where + ": \"keyframes\" must be a list");
    for (const Json &key : keys) {
      mask.outline.keys.Append(Time(key, "layer_time", where), Ticks(key, where),
                               OutlineFrom(key, where + " keyframe", limits));
    }
    if (saved.contains("expression"))
      mask.expression = OutlineExpressionFromJson(saved.at("expression"));
    mask.outline.Changed();
    project.layer.masks.push_back(std::move(mask));
  }
}

}  // namespace

Json ReadProjectFile(const std::string &path, const Limits &limits) {
  return ParseScenario(ReadScenarioFile(path, limits), path, limits);
}

void OpenProject(Session &session, const Json &file, const std::string &origin,
                 const Limits &limits) {
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
    project.time = Time(file, "time", "the file");
    LoadMasks(project, Field(file, "masks", "the file"), limits);
    const Json &next = Field(file, "next_mask", "the file");
    const Json &id = Field(next, "id", "\"next_mask\""),
               &palette = Field(next, "palette", "\"next_mask\"");
    if (!id.is_number_unsigned() || !palette.is_number_unsigned() ||
        id.get<unsigned long long>() > 0xFFFFFFFFull)
      throw BadInput(
          "\"next_mask\" is the next mask's \"id\" and \"palette\" index, whole numbers");
    project.layer.SetNext(AEGP_MaskIDVal(id.get<unsigned long long>()), palette.get<std::size_t>());
    if (PF_Err err = session.GlobalSetup())
      throw BadInput("global setup failed with error " + std::to_string(err));
    if (PF_Err err = session.ParamsSetup())
      throw BadInput("parameter setup failed with error " + std::to_string(err));
    LoadParams(project, Field(file, "params", "the file"));
  } catch (const BadInput &e) {
    throw BadInput(origin + ": " + e.what());
  } catch (const Json::exception &) {
    throw BadInput(origin + ": a value has the wrong type or is out of range");
  }
  session.OpenPanel();
}

}  // namespace orvane::host
