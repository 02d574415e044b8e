#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace iconfinder {

// Something a user's file or folder caused; the message says what and where, without the
// path, which the caller knows and shows in front.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a user wrote cannot be followed: a name pattern, a result line, a number.
class InputError : public Error {
public:
    using Error::Error;
};

// The file's bytes are wrong: "truncated pixel data (row 12 of 64)".
class FormatError : public Error {
public:
    using Error::Error;
};

// A file cannot be opened, read or written: "cannot open: No such file or directory". When
// one call touches several paths, `path` names the one that failed.
class IoError : public Error {
public:
    explicit IoError(const std::string& what, std::string path = {}) : Error(what), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace iconfinder
