#include "regions/result_lines.h"

#include "common/errors.h"

#include <charconv>
#include <stdexcept>

namespace iconfinder {

void appendResultLine(std::string& text, const RegionBox& box)
{
    // "%d , %d , %d , %d ", without printf's cost: a sheet has thousands of regions.
    char line[64];
    char* at = line;
    for (const int value : {box.minX, box.minY, box.maxX, box.maxY}) {
        at = std::to_chars(at, line + sizeof line, value).ptr;
        *at++ = ' ';
        *at++ = ',';
        *at++ = ' ';
    }
    text.append(line, static_cast<std::size_t>(at - line - 2));
}

StringList resultLines(std::span<const RegionBox> boxes)
{
    StringList lines;
    std::string line;
    for (const RegionBox& box : boxes) {
        line.clear();
        appendResultLine(line, box);
        lines.append(line);
    }
    return lines;
}

RegionBox parseResultLine(std::string_view line, StringList& Fields)
{
    Fields.setCommaText(line);
    if (Fields.count() != 4)
        throw InputError("result line '" + std::string(line) + "' does not hold four numbers");
    return {strToInt(Fields[0]), strToInt(Fields[1]), strToInt(Fields[2]), strToInt(Fields[3])};
}

} // namespace iconfinder
