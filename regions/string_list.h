#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

// A growable list of text lines kept in one buffer, so that appending a line allocates
// nothing per line once the buffer has grown.
class StringList {
public:
    void append(std::string_view line);
    std::size_t count() const { return ends_.size(); }
    std::string_view operator[](std::size_t i) const;
    void clear();

    // Replaces the contents with the fields of `text`, split at commas and blanks; the
    // separators are dropped and runs of them make no empty fields.
    void setCommaText(std::string_view text);

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

// A whole decimal integer, or InputError naming the text.
int strToInt(std::string_view text);

} // namespace iconfinder
