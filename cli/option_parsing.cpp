#include "cli/option_parsing.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <regex>
#include <sstream>

namespace iconfinder::cli {
namespace {

constexpr std::size_t kHelpWidth = 50;

} // namespace

std::string wrapped(const std::string& text)
{
    std::string lines, word;
    std::size_t column = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ') {
            word += text[i];
            continue;
        }
        if (column > 0 && column + 1 + word.size() > kHelpWidth) {
            lines += '\n';
            column = 0;
        } else if (column > 0) {
            lines += ' ';
            ++column;
        }
        lines += word;
        column += word.size();
        word.clear();
    }
    return lines;
}

bool isNumber(const std::string& text, std::size_t digits)
{
    return !text.empty() && text.size() <= digits && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

CLI::Option* addNumber(CLI::App& app, const std::string& names, int& target, int low, int high, const std::string& help)
{
    const CLI::Validator inRange(
        [low, high](const std::string& value) -> std::string {
            if (isNumber(value, 10) && std::stoll(value) >= low && std::stoll(value) <= high)
                return {};
            return "'" + value + "' is not a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        },
        "");
    return app.add_option(names, target, wrapped(help))->type_name("N")->check(inRange);
}

CLI::Option* addWord(CLI::App& app, const std::string& names, std::string& target, const std::vector<std::string>& words,
                     const std::string& help)
{
    std::string text, list;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : "|") + word;
        list += (list.empty() ? "" : ", ") + word;
    }
    const CLI::Validator oneOf(
        [words, list](const std::string& value) -> std::string {
            return std::find(words.begin(), words.end(), value) != words.end() ? "" : "'" + value + "' is not one of " + list;
        },
        "");
    if (names.back() == '}')
        return app.add_flag(names, target, wrapped(help))->check(oneOf)->option_text("[=" + text + "]");
    return app.add_option(names, target, wrapped(help))->check(oneOf)->option_text(text);
}

std::string plainly(const CLI::ParseError& error)
{
    const std::string text = error.what();
    std::smatch match;
    if (std::regex_match(text, match, std::regex(R"((\S+): At Most 1 required but received (\d+))")))
        return match[1].str() + " given " + (match[2] == "2" ? std::string("twice") : match[2].str() + " times");
    if (std::regex_match(text, match, std::regex(R"((\S+): \d+ required (\S*) ?missing)")))
        return match[1].str() + " needs a value" + (match[2].length() ? " (" + match[2].str() + ")" : "");
    if (std::regex_match(text, match, std::regex(R"(The following arguments? (?:was|were) not expected: (.*))"))) {
        std::istringstream words(match[1].str());
        std::vector<std::string> unknown{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
        std::reverse(unknown.begin(), unknown.end()); // the parser lists them last first
        std::string list;
        for (const std::string& word : unknown)
            list += (list.empty() ? "'" : ", '") + word + "'";
        return (unknown.size() > 1 ? "unknown options " : "unknown option ") + list;
    }
    return text;
}

std::pair<int, int> parsePair(const std::string& option, const std::string& text, const char* separators, int smallest,
                              const std::string& form)
{
    const std::size_t by = text.find_first_of(separators);
    const std::string first = text.substr(0, by), second = by == std::string::npos ? first : text.substr(by + 1);
    if (!isNumber(first) || !isNumber(second))
        throw UsageError(option + ": '" + text + "' is not " + form);
    const std::pair<int, int> values{std::stoi(first), std::stoi(second)};
    if (values.first < smallest || values.second < smallest)
        throw UsageError(option + ": '" + text + "' must be at least " + std::to_string(smallest) + " each way");
    return values;
}

} // namespace iconfinder::cli
