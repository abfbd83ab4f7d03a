#include "scenario/ValueReaders.h"

#include <cmath>
#include <sstream>

#include "model/Errors.h"
#include "model/ParamTypes.h"
#include "report/Format.h"
#include "scenario/JsonValues.h"

namespace orvane::host {

namespace {

double FiniteNumber(const Json &v, const std::string &what) {
  if (!v.is_number() || !std::isfinite(v.get<double>())) throw BadInput(what + " must be a number");
  return v.get<double>();
}

std::string Range(double lo, double hi) {
  std::ostringstream out;
  out << lo << " to " << hi;
  return out.str();
}

}  // namespace

StreamValue ParamValueFromJson(const EffectParam &param, const Json &value,
                               const Project &project) {
  StreamValue out;
  double *v = out.v;
  const ParamType &type = TypeOf(param.def);
  const std::string name = "\"" + param.name + "\"";
  double lo = 0, hi = 0;
  const bool ranged = type.range(param.def, &lo, &hi);
  switch (type.shape) {
    case ValueShape::Colour:
      if (!ColourBytes(value, v))
        throw BadInput(name + " takes a colour [a, r, g, b] of bytes 0 to 255");
      return out;
    case ValueShape::Point:
      if (!value.is_array() || value.size() != 2)
        throw BadInput(name + " takes a point [x, y] in layer pixels");
      v[0] = FiniteNumber(value[0], name + " x");
      v[1] = FiniteNumber(value[1], name + " y");
      if (std::fabs(v[0]) > 1e6 || std::fabs(v[1]) > 1e6)
        throw BadInput(name + " is too far outside the layer");
      return out;
    case ValueShape::Number:
      v[0] = FiniteNumber(value, type.unit ? name + " (" + type.unit + ")" : name);
      if (ranged && (v[0] < lo || v[0] > hi))
        throw BadInput(name + " must be from " + Range(lo, hi));
      return out;
    case ValueShape::Integer:
      if (!value.is_number_integer())
        throw BadInput(name + " takes a whole number from " + Range(lo, hi));
      v[0] = double(value.get<long long>());
      if (ranged && (v[0] < lo || v[0] > hi))
        throw BadInput(name + " must be from " + Range(lo, hi));
      return out;
    case ValueShape::Boolean:
      if (!value.is_boolean()) throw BadInput(name + " takes true or false");
      v[0] = value.get<bool>() ? 1 : 0;
      return out;
    case ValueShape::MaskId: {
      if (value.is_null()) return out;
      const long count = long(project.layer.masks.size());
      if (!value.is_number_integer() || value.get<long>() < 0 || value.get<long>() >= count) {
        throw BadInput(name + " takes a mask index from 0 to " + std::to_string(count - 1) +
                       ", or null for none" + (count == 0 ? " (the layer has no masks)" : ""));
      }
      v[0] = project.layer.masks[std::size_t(value.get<long>())].id;
      return out;
    }
    case ValueShape::None:
      break;
  }
  throw BadInput(
      name + " has no value to set" +
      std::string(param.def.param_type == PF_Param_BUTTON ? "; use {\"do\": \"press\"}" : ""));
}

namespace {

// How many of the four numbers a value of this shape uses; the others hold 0.
int NumbersUsed(ValueShape shape) {
  return shape == ValueShape::Colour ? 4 : shape == ValueShape::Point ? 2 : 1;
}

void CheckUnused(const EffectParam &param, const StreamValue &value, const std::string &what) {
  for (int i = NumbersUsed(TypeOf(param.def).shape); i < 4; ++i) {
    if (value.v[i] != 0)
      throw BadInput(what + " uses only the first " +
                     (NumbersUsed(TypeOf(param.def).shape) == 1 ? "number" : "two numbers") +
                     " of the four; the others must be 0");
  }
}

}  // namespace

void CheckHeldValue(const EffectParam &param, const StreamValue &value) {
  const ParamType &type = TypeOf(param.def);
  const std::string name = "\"" + param.name + "\"";
  const double *v = value.v;
  for (double x : value.v) {
    if (!std::isfinite(x)) throw BadInput(name + " holds a number that is not finite");
  }
  double lo = 0, hi = 0;
  const bool ranged = type.range(param.def, &lo, &hi);
  switch (type.shape) {
    case ValueShape::Colour:
      for (double c : value.v) {
        if (c < 0 || c > 1) throw BadInput(name + " is a colour of fractions from 0 to 1");
      }
      break;
    case ValueShape::Point:
      if (std::fabs(v[0]) > 1e6 || std::fabs(v[1]) > 1e6)
        throw BadInput(name + " is too far outside the layer");
      break;
    case ValueShape::Number:
      if (ranged && (v[0] < lo || v[0] > hi))
        throw BadInput(name + " must be from " + Range(lo, hi));
      break;
    case ValueShape::Integer:
      if (v[0] != std::floor(v[0]) || (ranged && (v[0] < lo || v[0] > hi)))
        throw BadInput(name + " takes a whole number" +
                       (ranged ? " from " + Range(lo, hi) : std::string()));
      break;
    case ValueShape::Boolean:
      if (v[0] != 0 && v[0] != 1) throw BadInput(name + " is 0 or 1 (off or on)");
      break;
    case ValueShape::MaskId:
      if (v[0] != std::floor(v[0]) || v[0] < 0 || v[0] > 4294967295.0)
        throw BadInput(name + " holds a mask's path id, a whole number (0 for none)");
      break;
    case ValueShape::None:
      // A type the host does not model (a popup) holds one number as the module gave it.
      break;
  }
  CheckUnused(param, value, name);
}

void CheckHeldExpression(const EffectParam &param, const StreamValue &offset) {
  const std::string name = "an expression on \"" + param.name + "\"";
  const ParamType &type = TypeOf(param.def);
  for (int i = 0; i < NumbersUsed(type.shape); ++i) {
    const double x = offset.v[i];
    const double most = type.shape == ValueShape::Colour ? 1 : 1e6;
    if (!std::isfinite(x) || std::fabs(x) > most)
      throw BadInput(name + " adds numbers of at most " + NumberText(most) + " in size");
  }
  switch (type.shape) {
    case ValueShape::Integer:
      if (offset.v[0] != std::floor(offset.v[0])) throw BadInput(name + " adds a whole number");
      break;
    case ValueShape::MaskId:
    case ValueShape::None:
      throw BadInput("\"" + param.name + "\" takes no expression");
    default:
      break;
  }
  CheckUnused(param, offset, name);
}

std::optional<StreamValue> ParamExpressionFromJson(const EffectParam &param, const Json &value) {
  if (value.is_null()) return std::nullopt;
  const std::string name = "an expression on \"" + param.name + "\"";
  StreamValue offset;
  switch (TypeOf(param.def).shape) {
    case ValueShape::Point:
      if (!IsNumberPair(value)) throw BadInput(name + " adds a point [dx, dy]");
      offset.v[0] = Finite(value[0], name);
      offset.v[1] = Finite(value[1], name);
      return offset;
    case ValueShape::Colour:
      if (!value.is_array() || value.size() != 4)
        throw BadInput(name + " adds a colour [a, r, g, b] in bytes (-255 to 255)");
      for (std::size_t i = 0; i < 4; ++i) {
        const double byte = Finite(value[i], name);
        if (std::fabs(byte) > 255)
          throw BadInput(name + " adds a colour [a, r, g, b] in bytes (-255 to 255)");
        offset.v[i] = byte / 255.0;
      }
      return offset;
    case ValueShape::Integer:
      // The module reads a whole number; a fraction would be rounded where nobody sees it.
      offset.v[0] = Finite(value, name);
      if (offset.v[0] != std::floor(offset.v[0])) throw BadInput(name + " adds a whole number");
      return offset;
    case ValueShape::Number:
    case ValueShape::Boolean:
      offset.v[0] = Finite(value, name);
      return offset;
    case ValueShape::MaskId:
    case ValueShape::None:
      break;
  }
  throw BadInput("\"" + param.name + "\" takes no expression");
}

std::optional<OutlineExpression> OutlineExpressionFromJson(const Json &value) {
  if (value.is_null()) return std::nullopt;
  const char *form =
      "an expression on a mask adds [dx, dy] to every vertex, or one offset per vertex ([dx, dy] "
      "or [dx, dy, in_x, in_y, out_x, out_y])";
  OutlineExpression e;
  if (IsNumberPair(value)) {
    e.uniform = true;
    e.offsets.push_back(
        AEGP_MaskVertex{Finite(value[0], "dx"), Finite(value[1], "dy"), 0, 0, 0, 0});
    return e;
  }
  if (!value.is_array() || value.empty()) throw BadInput(form);
  for (const Json &v : value) {
    if (!v.is_array() || (v.size() != 2 && v.size() != 6)) throw BadInput(form);
    double c[6] = {0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < v.size(); ++i) c[i] = Finite(v[i], "a vertex offset");
    e.offsets.push_back(AEGP_MaskVertex{c[0], c[1], c[2], c[3], c[4], c[5]});
  }
  return e;
}

}  // namespace orvane::host
