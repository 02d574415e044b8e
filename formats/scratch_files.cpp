#include "formats/scratch_files.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <regex>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace iconfinder::scratch {
namespace {

// Slots a signal handler can read without locks: chunks of atomic pointers, made as needed.
constexpr std::size_t kChunk = 4096;
constexpr std::size_t kChunks = 4096;
using Chunk = std::array<std::atomic<const char*>, kChunk>;
std::array<std::atomic<Chunk*>, kChunks> chunks{};

std::mutex lock;
std::vector<std::size_t> freeSlots;
std::size_t slotsMade = 0;

std::atomic<const char*>* slot(std::size_t i) { return &(*chunks[i / kChunk].load())[i % kChunk]; }

void removeAll(int signal)
{
    // Files first, so that the folders holding them are empty when their turn comes.
    for (const bool folders : {false, true}) {
        for (std::size_t c = 0; c < kChunks; ++c) {
            Chunk* chunk = chunks[c].load();
            if (!chunk)
                break;
            for (std::atomic<const char*>& entry : *chunk)
                if (const char* path = entry.load())
                    folders ? ::rmdir(path) : ::unlink(path);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

std::string partName(const std::string& name)
{
    static std::atomic<unsigned> count{0};
    return "." + name + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
}

Remembered::Remembered(std::string path) : path_(std::move(path))
{
    const std::lock_guard guard(lock);
    if (!freeSlots.empty()) {
        slot_ = freeSlots.back();
        freeSlots.pop_back();
    } else {
        if (slotsMade / kChunk >= kChunks)
            return; // beyond sixteen million at once: left for a later run to remove
        slot_ = slotsMade++;
        if (slot_ % kChunk == 0)
            chunks[slot_ / kChunk].store(new Chunk{});
    }
    slot(slot_)->store(path_.c_str());
}

void Remembered::forget()
{
    if (slot_ == kNone)
        return;
    const std::lock_guard guard(lock);
    slot(slot_)->store(nullptr);
    freeSlots.push_back(std::exchange(slot_, kNone));
}

void removeOnInterrupt()
{
    struct sigaction action {};
    action.sa_handler = removeAll;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
        ::sigaction(signal, &action, nullptr);
    }
}

bool removeIfLeftover(const std::filesystem::path& entry)
{
    static const std::regex part(R"(\..+\.part-(\d+)-\d+)");
    const std::string name = entry.filename().string();
    std::smatch match;
    if (!std::regex_match(name, match, part))
        return false;
    const long pid = std::stol(match[1].str());
    if (pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
        return false;
    std::error_code ignored;
    std::filesystem::remove_all(entry, ignored);
    return true;
}

void removeLeftovers(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        removeIfLeftover(entry.path());
}

} // namespace iconfinder::scratch
