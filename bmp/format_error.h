#pragma once

#include <stdexcept>

namespace iconfinder::bmp {

// What was wrong with a file, and where: "truncated pixel data (row 12 of 64)".
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace iconfinder::bmp
