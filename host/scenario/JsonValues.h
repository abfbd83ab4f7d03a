// Reading a scenario's values: numbers, pairs, sections, times, vertices, window points and
// colour bytes, each checked, with messages that name the key and what it must be.
#pragma once

#include <string>
#include <vector>

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "model/Project.h"
#include "model/View.h"
#include "report/Json.h"

namespace orvane::host {

// What kind of JSON value this is, for messages ("a string", "an array").
std::string TypeName(const Json &v);
// obj[key] as a number, or `fallback` when absent; `where` names the section in messages.
double Number(const Json &obj, const char *key, double fallback, const std::string &where);
// obj[key] as [x, y] into `out`, left as it is when absent.
void Pair(const Json &obj, const char *key, double out[2], const std::string &where);
// scenario[key] as an object; an empty one when absent.
const Json &Section(const Json &scenario, const char *key);
// A number above 0 and at most a billion.
void Positive(double v, const std::string &what);
// A number of at most a million in size.
double Finite(const Json &v, const std::string &what);
bool IsNumberPair(const Json &v);
// step[key] in composition seconds, from 0 to the composition's end: a time the composition does
// not have would hand the module a frame the application never asks for.
double Seconds(const Json &step, const char *key, double fallback, const Composition &comp);
// Refuses a time outside the composition, naming it as `what`.
void InsideComposition(double t, const Composition &comp, const std::string &what);
AEGP_MaskVertex VertexFromJson(const Json &v);
// A window point [x, y] in pixels.
Point2 PointFromJson(const Json &v, const std::string &what);
// [a, r, g, b] of whole bytes 0 to 255, as fractions of one; false when it is not that.
bool ColourBytes(const Json &v, double unit[4]);
// What a "render" step asks for: a depth of 8, 16 or 32 bits and whole downsample divisors.
struct RenderRequest {
  int depth = 8;
  PF_RationalScale downsample_x{1, 1};
  PF_RationalScale downsample_y{1, 1};
};
RenderRequest RenderRequestFromJson(const Json &step);
// Up to `most` of `candidates` closest to `name`, quoted, for "did you mean" hints.
std::string Closest(const std::string &name, const std::vector<std::string> &candidates,
                    std::size_t most = 3);
// Refuses any key of `obj` that is not in `known`, naming it and the nearest known key: a
// misspelt key would otherwise be passed over and its default used without a word. `where`
// names the object in the message ("comp"); empty for a step, whose number the runner adds.
void KnownKeys(const Json &obj, const std::string &where, const std::vector<std::string> &known);

}  // namespace orvane::host
