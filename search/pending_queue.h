#pragma once

#include <cstddef>
#include <vector>

namespace iconfinder {

// The runs waiting to be visited, kept per row and handed out a whole row at a time, from the
// topmost row that has any. Visiting in row order keeps the search within a few rows of the
// picture at a time, and a whole row at once lets neighbouring runs share one scan of the rows
// above and below; which run comes first does not change what is found. Runs are only pushed
// one row above or below the row being visited, so finding the next row costs at most one step
// per push. Nothing is allocated once the pool has grown to the most runs waiting at once.
class PendingQueue {
public:
    // Prepares for a search of a picture of `rows` rows; the queue must be empty.
    void reset(int rows)
    {
        if (heads_.size() != static_cast<std::size_t>(rows)) {
            heads_.assign(static_cast<std::size_t>(rows), kNone);
            tails_.assign(static_cast<std::size_t>(rows), kNone);
        }
        top_ = rows;
        bottom_ = -1;
    }

    // Queues the run firstX .. lastX of row y after the row's earlier runs. A run that starts
    // within two pixels after the row's last waiting run joins it: the two runs' neighbour
    // spans (one column more on each side) then touch, so scanning the joined one's is the same.
    void push(int y, int firstX, int lastX)
    {
        int& tail = tails_[static_cast<std::size_t>(y)];
        if (tail != kNone) {
            Node& last = nodes_[static_cast<std::size_t>(tail)];
            if (firstX >= last.firstX && firstX <= last.lastX + 3) {
                last.lastX = lastX > last.lastX ? lastX : last.lastX;
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
        nodes_[static_cast<std::size_t>(slot)] = {firstX, lastX, kNone};
        (tail == kNone ? heads_[static_cast<std::size_t>(y)] : nodes_[static_cast<std::size_t>(tail)].next) = slot;
        tail = slot;
        top_ = y < top_ ? y : top_;
        bottom_ = y > bottom_ ? y : bottom_;
    }

    // The topmost row with waiting runs, or -1 when none waits.
    int topRow()
    {
        while (top_ <= bottom_ && heads_[static_cast<std::size_t>(top_)] == kNone)
            ++top_;
        return top_ <= bottom_ ? top_ : -1;
    }

    // Takes every run waiting in row y, calling visit(firstX, lastX) for each in queue order.
    // visit may push runs to other rows.
    template <class Visit>
    void takeRow(int y, Visit&& visit)
    {
        int slot = heads_[static_cast<std::size_t>(y)];
        heads_[static_cast<std::size_t>(y)] = tails_[static_cast<std::size_t>(y)] = kNone;
        while (slot != kNone) {
            Node& node = nodes_[static_cast<std::size_t>(slot)];
            const Node run = node;
            node.next = free_;
            free_ = slot;
            visit(run.firstX, run.lastX);
            slot = run.next;
        }
    }

private:
    static constexpr int kNone = -1;
    struct Node {
        int firstX;
        int lastX;
        int next;
    };
    std::vector<Node> nodes_; // waiting runs, and the free list through the rest
    std::vector<int> heads_;  // per row, its first and last waiting run
    std::vector<int> tails_;
    int free_ = kNone;
    int top_ = 0;    // no run waits above this row
    int bottom_ = -1; // nor below this one
};

} // namespace iconfinder
