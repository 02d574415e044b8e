#include "atlas/atlas_layouts.h"

#include <cstdio>

namespace iconfinder {
namespace {

// A class name as CSS.escape() gives it, so that any frame name makes a valid selector.
std::string identifier(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool digit = c >= '0' && c <= '9';
        if (c < 0x20 || c == 0x7f || (digit && (i == 0 || (i == 1 && name[0] == '-')))) {
            char code[8];
            std::snprintf(code, sizeof code, "\\%x ", c);
            out += code;
        } else if (i == 0 && c == '-' && name.size() == 1) {
            out += "\\-";
        } else if (c >= 0x80 || c == '-' || c == '_' || digit || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            out += static_cast<char>(c);
        } else {
            out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string pixels(int value) { return value == 0 ? "0" : std::to_string(value) + "px"; }

} // namespace

// A rule a frame: its size, and the image placed so that the frame's pixels show.
std::string cssAtlas(const Atlas& atlas)
{
    std::string url;
    for (const char c : atlas.pages.front().image) {
        if (c == '"' || c == '\\')
            url += '\\';
        url += c;
    }
    std::string text;
    for (const AtlasFrame& frame : atlas.frames)
        text += '.' + identifier(frame.name) + " {\n  width: " + pixels(frame.box.width()) + ";\n  height: " + pixels(frame.box.height()) +
                ";\n  background: url(\"" + url + "\") " + pixels(-frame.box.minX) + " " + pixels(-frame.box.minY) + ";\n}\n";
    return text;
}

} // namespace iconfinder
