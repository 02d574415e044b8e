#pragma once

#include <string>
#include <string_view>

namespace iconfinder {

// Text as printed on a terminal or in a log line: control characters escaped (\n, \t, \x1b),
// so that a file or frame name can never forge a line.
inline std::string printable(std::string_view text)
{
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else {
            constexpr char kHex[] = "0123456789abcdef";
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return shown;
}

} // namespace iconfinder
