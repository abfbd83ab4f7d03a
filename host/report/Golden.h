// A golden project: the project sections of a run's dump ("params" and "masks") kept as a
// reference, and the comparison of a later run with it, numbers within a relative tolerance.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/Json.h"

namespace orvane::host {

// The sections of a dump that a golden keeps, each number that is not finite as the string
// "NaN", "Infinity" or "-Infinity" (which the comparison then matches as it matches any string).
Json GoldenOf(const Json &dump);

struct GoldenDifferences {
  std::vector<std::string> first;  // "$.masks[0].vertices[1][0]: golden 420, run 421"
  std::size_t count = 0;           // every difference, shown or not
};

// Where `run` differs from `golden` (both as GoldenOf gives them): whole numbers differ when they
// are not the same number, other numbers when |a - b| > tolerance × max(|a|, |b|) (exactly equal
// ones never do), anything else when it is not the same; at most `shown` differences are spelt
// out. `tolerance` is finite, from 0 to 1.
GoldenDifferences CompareWithGolden(const Json &golden, const Json &run, double tolerance,
                                    std::size_t shown = 20);

}  // namespace orvane::host
