#pragma once

#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

// The pieces the option parser is built from: help text that fits, whole numbers and words
// checked with plain messages, and the parser's own complaints said plainly.
namespace iconfinder::cli {

// Help text broken into lines that fit beside the option names.
std::string wrapped(const std::string& text);

// Decimal digits only, and few enough to make an int.
bool isNumber(const std::string& text, std::size_t digits = 9);

// An integer option within a range, its bounds said in the help text rather than by CLI11.
CLI::Option* addNumber(CLI::App& app, const std::string& names, int& target, int low, int high, const std::string& help);

// An option whose value is one of a few words; the caller maps it. Given as NAME{WORD}, it is a
// flag meaning WORD alone that takes another word only as --name=WORD.
CLI::Option* addWord(CLI::App& app, const std::string& names, std::string& target, const std::vector<std::string>& words,
                     const std::string& help);

// The option parser's own complaints, said plainly.
std::string plainly(const CLI::ParseError& error);

// Two whole numbers "AxB" (or "A,B"), or one standing for both; `smallest` is the least each
// may be. `form` names the forms accepted for the message.
std::pair<int, int> parsePair(const std::string& option, const std::string& text, const char* separators, int smallest,
                              const std::string& form);

// Checks what no single option can: how the options fit together, and reads the atlas of
// --regions-from. Throws UsageError.
void checkTogether(Options& options, const CLI::App& app);

} // namespace iconfinder::cli
