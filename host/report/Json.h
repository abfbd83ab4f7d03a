// The JSON type everything the host writes and reads is built with: objects keep their keys in
// the order written, so the dump reads in the order of the command-line contract.
#pragma once

#include <nlohmann/json.hpp>

namespace orvane::host {

using Json = nlohmann::ordered_json;

}  // namespace orvane::host
