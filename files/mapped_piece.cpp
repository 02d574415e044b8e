#include "files/mapped_piece.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace iconfinder {
namespace {

// The pieces mapped now, for the SIGBUS handler: address ranges and whether a page was lost.
struct Guarded {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> lost{false};
};
constexpr int kSlots = 64;
Guarded guarded[kSlots];
struct sigaction previous {};
std::uintptr_t pageSize = 4096; // read once, before the handler can run

void onBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded& piece : guarded) {
        if (address >= piece.begin.load() && address < piece.end.load()) {
            void* at = reinterpret_cast<void*>(address & ~(pageSize - 1));
            if (::mmap(at, pageSize, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED) {
                piece.lost = true;
                return; // the read is retried and finds zeros
            }
        }
    }
    // Not one of ours: what would have happened without us.
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);
        ::raise(SIGBUS);
    }
}

void installHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previous);
    });
}

} // namespace

MappedPiece::MappedPiece(int fd, std::uint64_t offset, std::size_t count)
{
    installHandler();
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
        std::uintptr_t free = 0;
        if (guarded[i].begin.compare_exchange_strong(free, 1))
            slot_ = i;
    }
    if (slot_ < 0)
        return;
    lead_ = static_cast<std::size_t>(offset % pageSize);
    length_ = lead_ + count;
    count_ = count;
    void* base = ::mmap(nullptr, length_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, static_cast<off_t>(offset - lead_));
    if (base == MAP_FAILED) {
        guarded[slot_].begin = 0;
        slot_ = -1;
        return;
    }
    base_ = base;
    // The range is empty until its end is set: the handler never sees half of it.
    guarded[slot_].lost = false;
    guarded[slot_].begin = reinterpret_cast<std::uintptr_t>(base);
    guarded[slot_].end = reinterpret_cast<std::uintptr_t>(base) + length_;
}

MappedPiece::MappedPiece(MappedPiece&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)), length_(other.length_), lead_(other.lead_), count_(other.count_),
      slot_(std::exchange(other.slot_, -1))
{
}

MappedPiece& MappedPiece::operator=(MappedPiece&& other) noexcept
{
    if (this != &other) {
        release();
        base_ = std::exchange(other.base_, nullptr);
        length_ = other.length_;
        lead_ = other.lead_;
        count_ = other.count_;
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

MappedPiece::~MappedPiece() { release(); }

bool MappedPiece::intact() const { return slot_ < 0 || !guarded[slot_].lost.load(); }

void MappedPiece::release()
{
    if (base_)
        ::munmap(base_, length_);
    if (slot_ >= 0) {
        guarded[slot_].end = 0;
        guarded[slot_].begin = 0;
    }
    base_ = nullptr;
    slot_ = -1;
}

} // namespace iconfinder
