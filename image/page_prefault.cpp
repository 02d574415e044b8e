#include "image/page_prefault.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace iconfinder {
namespace {

constexpr std::size_t kWorthIt = std::size_t{256} << 20; // smaller pictures gain nothing measurable
constexpr std::uintptr_t kPiece = std::uintptr_t{16} << 20; // between looks at the stop flag

} // namespace

void PagePrefault::start([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t bytes)
{
    finish();
#if defined(MADV_POPULATE_WRITE)
    if (bytes < kWorthIt || std::thread::hardware_concurrency() < 2)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(memory) + page - 1) / page * page;
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(memory) + bytes) / page * page;
    stop_ = false;
    try {
        worker_ = std::thread([this, first, end] {
            // Populating writable pages keeps their contents; a system without it says so at
            // once, and the caller's own writes fault the pages in as before.
            for (std::uintptr_t at = first; at < end && !stop_.load(std::memory_order_relaxed); at += kPiece)
                if (::madvise(reinterpret_cast<void*>(at), std::min<std::uintptr_t>(kPiece, end - at), MADV_POPULATE_WRITE) != 0)
                    return;
        });
    } catch (const std::system_error&) {
        // No thread to spare: the pages fault in as the rows are written.
    }
#endif
}

void PagePrefault::finish()
{
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

} // namespace iconfinder
