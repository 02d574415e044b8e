#include "atlas/atlas_layouts.h"

#include <cstdio>

namespace iconfinder {
namespace {

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

// The Starling/Sparrow TextureAtlas: a SubTexture a frame; a trimmed one says where it sits in
// its source picture with a negative frameX and frameY, and the pivot is in pixels of that
// picture.
std::string starlingAtlas(const Atlas& atlas)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TextureAtlas imagePath=\"" + escaped(atlas.pages.front().image) + "\">\n";
    for (const AtlasFrame& frame : atlas.frames) {
        text += "    <SubTexture name=\"" + escaped(frame.name) + "\" x=\"" + std::to_string(frame.box.minX) + "\" y=\"" +
                std::to_string(frame.box.minY) + "\" width=\"" + std::to_string(frame.box.width()) + "\" height=\"" +
                std::to_string(frame.box.height()) + "\"" + (frame.turned() ? " rotated=\"true\"" : "");
        if (frame.trimmed())
            text += " frameX=\"" + std::to_string(-frame.offsetX) + "\" frameY=\"" + std::to_string(-frame.offsetY) + "\" frameWidth=\"" +
                    std::to_string(frame.sourceWidth) + "\" frameHeight=\"" + std::to_string(frame.sourceHeight) + "\"";
        if (const std::optional<Anchor> pivot = atlas.anchor ? atlas.anchor : frame.pivot)
            text += " pivotX=\"" + number(pivot->x * frame.sourceWidth) + "\" pivotY=\"" + number(pivot->y * frame.sourceHeight) + "\"";
        text += "/>\n";
    }
    return text + "</TextureAtlas>\n";
}

} // namespace iconfinder
