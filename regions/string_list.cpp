#include "regions/string_list.h"

#include "common/errors.h"

#include <charconv>
#include <stdexcept>

namespace iconfinder {

void StringList::append(std::string_view line)
{
    text_.append(line);
    ends_.push_back(text_.size());
}

std::string_view StringList::operator[](std::size_t i) const
{
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
}

void StringList::clear()
{
    text_.clear();
    ends_.clear();
}

void StringList::setCommaText(std::string_view text)
{
    clear();
    const auto isSeparator = [](char c) { return c == ',' || c == ' '; };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        const std::size_t begin = i;
        while (i < text.size() && !isSeparator(text[i]))
            ++i;
        if (i > begin)
            append(text.substr(begin, i - begin));
    }
}

int strToInt(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        throw InputError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

} // namespace iconfinder
