#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace iconfinder {

// JSON text that stays valid whatever bytes the names in it hold: invalid UTF-8 is replaced.
inline std::string jsonText(const nlohmann::ordered_json& value, int indent = -1)
{
    return value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace iconfinder
