#include "atlas/atlas_layouts.h"

namespace iconfinder {

// libGDX's texture packer layout as libGDX and the Spine runtimes read it: a page's image and
// fields, then its regions; a blank line between pages. A trimmed region's offsets count from
// its source picture's bottom-left corner; a turned region's bounds keep its upright size.
std::string libgdxAtlas(const Atlas& atlas)
{
    std::string text;
    for (std::size_t page = 0; page < atlas.pages.size(); ++page) {
        if (page > 0)
            text += "\n";
        text += atlas.pages[page].image + "\nsize:" + std::to_string(atlas.pages[page].width) + "," +
                std::to_string(atlas.pages[page].height) + "\nformat:RGBA8888\nfilter:Nearest,Nearest\nrepeat:none\n" +
                (atlas.premultipliedAlpha ? "pma:true\n" : "");
        for (const AtlasFrame& frame : atlas.frames) {
            if (frame.page != page)
                continue;
            text += frame.name + "\nbounds:" + std::to_string(frame.box.minX) + "," + std::to_string(frame.box.minY) + "," +
                    std::to_string(frame.width()) + "," + std::to_string(frame.height()) + "\n" + (frame.turned() ? "rotate:true\n" : "");
            if (frame.trimmed())
                text += "offsets:" + std::to_string(frame.offsetX) + "," +
                        std::to_string(frame.sourceHeight - frame.height() - frame.offsetY) + "," +
                        std::to_string(frame.sourceWidth) + "," + std::to_string(frame.sourceHeight) + "\n";
        }
    }
    return text;
}

} // namespace iconfinder
