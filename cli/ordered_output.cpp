#include "cli/ordered_output.h"

namespace iconfinder::cli {

OrderedOutput::OrderedOutput(std::size_t pictures, std::ostream& out, std::ostream& err)
    : out_(out), err_(err), held_(pictures), messages_(pictures), done_(pictures, false)
{
}

void OrderedOutput::print(std::size_t picture, std::string_view text)
{
    const std::lock_guard guard(lock_);
    if (picture == turn_) {
        out_ << text;
        out_.flush();
    } else {
        held_[picture] += text;
    }
}

void OrderedOutput::finish(std::size_t picture, const std::string& messages)
{
    const std::lock_guard guard(lock_);
    done_[picture] = true;
    messages_[picture] = messages;
    while (turn_ < done_.size() && done_[turn_]) {
        err_ << messages_[turn_];
        std::string().swap(messages_[turn_]);
        if (++turn_ < done_.size()) {
            out_ << held_[turn_];
            std::string().swap(held_[turn_]);
        }
        out_.flush();
    }
}

} // namespace iconfinder::cli
