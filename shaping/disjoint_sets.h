#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace iconfinder {

// Groups of the numbers 0 .. count - 1, joined two at a time.
class DisjointSets {
public:
    explicit DisjointSets(std::size_t count) : parent_(count) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }
    std::size_t find(std::size_t i)
    {
        while (parent_[i] != i)
            i = parent_[i] = parent_[parent_[i]];
        return i;
    }
    // The earlier one stays the root, so a group's root is its earliest member.
    std::size_t unite(std::size_t a, std::size_t b)
    {
        a = find(a);
        b = find(b);
        parent_[std::max(a, b)] = std::min(a, b);
        return std::min(a, b);
    }

private:
    std::vector<std::size_t> parent_;
};

} // namespace iconfinder
