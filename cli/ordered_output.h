#pragma once

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder::cli {

// What several pictures print, in the order given, while they are searched at once: the
// picture whose turn it is prints straight through as it goes; the others are held until
// their turn comes. A picture's messages follow its output.
class OrderedOutput {
public:
    OrderedOutput(std::size_t pictures, std::ostream& out, std::ostream& err);

    void print(std::size_t picture, std::string_view text);
    // The picture is done: its messages go out in turn, and so does what the next ones hold.
    void finish(std::size_t picture, const std::string& messages);

private:
    std::mutex lock_;
    std::ostream& out_;
    std::ostream& err_;
    std::size_t turn_ = 0;
    std::vector<std::string> held_, messages_;
    std::vector<bool> done_;
};

} // namespace iconfinder::cli
