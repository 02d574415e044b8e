#include "image/large_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace iconfinder::detail {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void* allocateLarge(std::size_t bytes, bool zeroed)
{
    bytes = std::max<std::size_t>(bytes, 64);
    // Zeroed memory comes from calloc, which leaves the system's fresh pages untouched: a
    // buffer used here and there costs only the pages it uses.
    if (zeroed) {
        void* memory = std::calloc(1, bytes);
        if (!memory)
            throw std::bad_alloc();
        return memory;
    }
    const bool huge = bytes >= 2 * kHugePage;
    const std::size_t alignment = huge ? kHugePage : 64;
    void* memory = std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (!memory)
        throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    if (huge)
        ::madvise(memory, bytes, MADV_HUGEPAGE); // only advice: failing it changes nothing
#endif
    return memory;
}

void FreeLarge::operator()(void* memory) const { std::free(memory); }

} // namespace iconfinder::detail
