#pragma once

#include <cstddef>
#include <vector>

namespace iconfinder {

// The ranges of mask words waiting to be visited, kept per row and handed out a whole row at a
// time, from the topmost row that has any. Visiting in row order keeps the search within a few
// rows of the mask at a time; which range comes first does not change what is found. Ranges
// are only pushed one row above or below the row being visited, so finding the next row costs
// at most one step per push. Nothing is allocated once the pool has grown to the most ranges
// waiting at once.
class PendingQueue {
public:
    // Prepares for a search of a mask of `rows` rows; the queue must be empty.
    void reset(int rows)
    {
        if (heads_.size() != static_cast<std::size_t>(rows)) {
            heads_.assign(static_cast<std::size_t>(rows), kNone);
            tails_.assign(static_cast<std::size_t>(rows), kNone);
        }
        top_ = rows;
        bottom_ = -1;
    }

    // Queues words first .. last of row y after the row's earlier ranges; a range that starts
    // within or right after the row's last waiting one joins it.
    void push(int y, int first, int last)
    {
        int& tail = tails_[static_cast<std::size_t>(y)];
        if (tail != kNone) {
            Node& previous = nodes_[static_cast<std::size_t>(tail)];
            if (first >= previous.first && first <= previous.last + 1) {
                previous.last = last > previous.last ? last : previous.last;
                return;
            }
        }
        int slot = free_;
        if (slot != kNone) {
            free_ = nodes_[static_cast<std::size_t>(slot)].next;
        } else {
            slot = static_cast<int>(nodes_.size());
            nodes_.emplace_back();
        }
        nodes_[static_cast<std::size_t>(slot)] = {first, last, kNone};
        (tail == kNone ? heads_[static_cast<std::size_t>(y)] : nodes_[static_cast<std::size_t>(tail)].next) = slot;
        tail = slot;
        top_ = y < top_ ? y : top_;
        bottom_ = y > bottom_ ? y : bottom_;
    }

    // The topmost row with waiting ranges, or -1 when none waits.
    int topRow()
    {
        while (top_ <= bottom_ && heads_[static_cast<std::size_t>(top_)] == kNone)
            ++top_;
        return top_ <= bottom_ ? top_ : -1;
    }

    // Takes every range waiting in row y, calling visit(first, last) for each in queue order.
    // visit may push ranges to other rows.
    template <class Visit>
    void takeRow(int y, Visit&& visit)
    {
        int slot = heads_[static_cast<std::size_t>(y)];
        heads_[static_cast<std::size_t>(y)] = tails_[static_cast<std::size_t>(y)] = kNone;
        while (slot != kNone) {
            Node& node = nodes_[static_cast<std::size_t>(slot)];
            const Node range = node;
            node.next = free_;
            free_ = slot;
            visit(range.first, range.last);
            slot = range.next;
        }
    }

private:
    static constexpr int kNone = -1;
    struct Node {
        int first;
        int last;
        int next;
    };
    std::vector<Node> nodes_; // waiting ranges, and the free list through the rest
    std::vector<int> heads_;  // per row, its first and last waiting range
    std::vector<int> tails_;
    int free_ = kNone;
    int top_ = 0;     // no range waits above this row
    int bottom_ = -1; // nor below this one
};

} // namespace iconfinder
