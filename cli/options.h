#pragma once

#include "color.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace iconfinder::cli {

enum class Format { Lines, Json };

struct Options {
    std::optional<std::string> file; // none: the embedded sample picture
    ColorValue background = kWhite;
    Format format = Format::Lines;
    std::optional<std::string> framedOut;
    std::optional<std::string> cropDir;
    bool help = false;
    bool version = false;
};

// A command line that cannot be followed; the message says which word and why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Options parseOptions(const std::vector<std::string>& args);

// A name of the colour table (any case), #RRGGBB or RRGGBB.
ColorValue parseColor(const std::string& text);

extern const char* const kUsage;

} // namespace iconfinder::cli
