#include "large_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    const bool huge = bytes >= 2 * kHugePage;
    const std::size_t alignment = huge ? kHugePage : 64;
    void* memory = std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (!memory)
        throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    if (huge)
        ::madvise(memory, bytes, MADV_HUGEPAGE); // only advice: failing it changes nothing
#endif
    if (zeroed)
        std::memset(memory, 0, bytes);
    return memory;
}

void FreeLarge::operator()(void* memory) const { std::free(memory); }

} // namespace iconfinder::detail
