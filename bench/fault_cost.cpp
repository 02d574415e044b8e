// What a fresh page costs here: a new 48 MB buffer written once, on ordinary pages and on
// huge pages (madvise MADV_HUGEPAGE), and through the project's LargeBuffer; the minimum of
// several runs, in milliseconds.
#include "image/large_buffer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <sys/mman.h>

namespace {

constexpr std::size_t kBytes = std::size_t{48} << 20;

template <class Make>
double bestOf(Make make)
{
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        make();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void touchFresh(bool huge)
{
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    void* mapped = ::mmap(nullptr, kBytes + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(mapped) + kHuge - 1) / kHuge * kHuge);
    if (huge)
        ::madvise(aligned, kBytes, MADV_HUGEPAGE);
    std::memset(aligned, 1, kBytes);
    ::munmap(mapped, kBytes + kHuge);
}

} // namespace

int main()
{
    const double plain = bestOf([] { touchFresh(false); });
    const double huge = bestOf([] { touchFresh(true); });
    const double ours = bestOf([] {
        iconfinder::LargeBuffer<char> buffer(kBytes, false);
        std::memset(buffer.data(), 1, kBytes);
    });
    std::printf("| fresh 48 MB buffer, written once | ms (min of 7) |\n|---|---|\n");
    std::printf("| ordinary pages | %.1f |\n| huge pages (MADV_HUGEPAGE) | %.1f |\n| LargeBuffer | %.1f |\n", plain, huge, ours);
}
