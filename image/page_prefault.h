#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

namespace iconfinder {

// Makes the pages of freshly allocated memory present on a thread of its own while the
// caller fills them, so that the system's zeroing of a large picture's pages overlaps with
// decoding rows into it instead of adding to it. The pages' contents are never touched:
// what the caller already wrote stays. Stops, and waits for the thread, when finished or
// destroyed.
class PagePrefault {
public:
    PagePrefault() = default;
    PagePrefault(const PagePrefault&) = delete;
    PagePrefault& operator=(const PagePrefault&) = delete;
    ~PagePrefault() { finish(); }

    // Does nothing for memory too small to be worth a thread, or where the system cannot.
    void start(void* memory, std::size_t bytes);
    void finish();

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

} // namespace iconfinder
