#include "icon_search.h"

#include "canvas.h"
#include "region_extraction.h"

#include <stdexcept>
#include <string>

namespace iconfinder {

RegionBox parseResultLine(std::string_view line, StringList& Fields)
{
    Fields.setCommaText(line);
    if (Fields.count() != 4)
        throw std::invalid_argument("result line '" + std::string(line) + "' does not hold four numbers");
    return {strToInt(Fields[0]), strToInt(Fields[1]), strToInt(Fields[2]), strToInt(Fields[3])};
}

StringList extractRegions(PixelImage WorkBitmap, ColorValue backColor)
{
    RegionExtraction extraction(WorkBitmap, backColor);
    while (extraction.FindOneRegion()) {
    }
    return extraction.takeResultLines();
}

void drawFrames(PixelImage& displayed, const StringList& lines)
{
    StringList Fields;
    Canvas canvas(displayed);
    canvas.penColor = kRed;
    canvas.brushStyle = BrushStyle::Clear;
    for (std::size_t i = 0; i < lines.count(); ++i) {
        const RegionBox box = parseResultLine(lines[i], Fields);
        canvas.rectangle({box.minX, box.minY, box.maxX + 1, box.maxY + 1});
    }
}

StringList findIcons(PixelImage& displayed, ColorValue backColor)
{
    StringList lines = extractRegions(displayed, backColor);
    drawFrames(displayed, lines);
    return lines;
}

} // namespace iconfinder
