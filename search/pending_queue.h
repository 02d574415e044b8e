#pragma once

#include <cstddef>
#include <vector>

namespace iconfinder {

// A FIFO queue on a ring buffer: O(1) push and pop, and no allocation once it has grown to
// the largest front a search reaches.
template <class T>
class PendingQueue {
public:
    bool empty() const { return size_ == 0; }

    void push(const T& item)
    {
        if (size_ == slots_.size())
            grow();
        slots_[(head_ + size_) & (slots_.size() - 1)] = item;
        ++size_;
    }

    T pop()
    {
        const T item = slots_[head_];
        head_ = (head_ + 1) & (slots_.size() - 1);
        --size_;
        return item;
    }

private:
    void grow()
    {
        std::vector<T> larger(slots_.empty() ? 64 : slots_.size() * 2);
        for (std::size_t i = 0; i < size_; ++i)
            larger[i] = slots_[(head_ + i) & (slots_.size() - 1)];
        slots_.swap(larger);
        head_ = 0;
    }

    std::vector<T> slots_; // capacity is always a power of two
    std::size_t head_ = 0;
    std::size_t size_ = 0;
};

} // namespace iconfinder
