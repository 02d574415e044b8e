#pragma once

#include "options.h"

#include <optional>
#include <string>

namespace iconfinder::cli {

// What searching one picture printed and how it ended: 0, 1 (it could not be read or an
// output not written) or 2 (the name pattern gives two regions the same name).
struct JobResult {
    std::string out;
    std::string err;
    int status = 0;
};

// Searches one picture (none: the built-in sample) as the options say and writes its outputs;
// what it prints comes back rather than going out, so that pictures searched at once print in
// the order given.
JobResult searchPicture(const Options& options, const std::optional<std::string>& file);

} // namespace iconfinder::cli
