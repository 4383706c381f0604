#pragma once

// JSON as the commands print it.

#include <nlohmann/json.hpp>
#include <string>

namespace cvx {

using Json = nlohmann::ordered_json;

// Returns `document` as text; a path that is not UTF-8 keeps its readable part.
inline std::string dump(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace cvx
