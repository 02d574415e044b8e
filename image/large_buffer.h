#pragma once

#include <cstddef>
#include <memory>

namespace iconfinder {

namespace detail {
void* allocateLarge(std::size_t bytes, bool zeroed);
struct FreeLarge {
    void operator()(void* memory) const;
};
} // namespace detail

// An array of trivial values. Left unset, it is aligned for wide loads and placed on huge
// pages when large: on virtual machines a fault per 4 KiB page can cost more than the work on
// the page. Zeroed, it takes pages only where it is used.
template <class T>
class LargeBuffer {
public:
    LargeBuffer() = default;
    // Values are left unset unless `zeroed`.
    LargeBuffer(std::size_t count, bool zeroed)
        : data_(static_cast<T*>(detail::allocateLarge(count * sizeof(T), zeroed))), size_(count)
    {
    }

    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<T[], detail::FreeLarge> data_;
    std::size_t size_ = 0;
};

} // namespace iconfinder
