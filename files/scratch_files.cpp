#include "files/scratch_files.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <unordered_set>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace iconfinder::scratch {
namespace {

constexpr const char* kWorkMark = ".iconfinder-work";

// Never destroyed: the signal thread may still wait on them while the process exits.
std::mutex& registryLock() { static auto* lock = new std::mutex; return *lock; }
std::mutex& commitLock() { static auto* lock = new std::mutex; return *lock; }
std::unordered_set<const Remembered*>& registry() { static auto* set = new std::unordered_set<const Remembered*>; return *set; }

sigset_t interrupts()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

// Called with both locks held, which stay held until the process ends: no commit is
// halfway, no path is freed while it is read, and nothing new is made after.
void removeRemembered()
{
    // Files first, so that the folders holding them are empty when their turn comes.
    for (const bool folders : {false, true})
        for (const Remembered* entry : registry()) {
            const char* path = entry->path().c_str();
            if (!folders) {
                ::unlink(path);
            } else {
                ::unlink((entry->path() + "/" + kWorkMark).c_str());
                ::rmdir(path);
            }
        }
}

[[noreturn]] void waitForInterrupts(sigset_t set)
{
    int signal = 0;
    while (::sigwait(&set, &signal) != 0) {
    }
    commitLock().lock();
    registryLock().lock();
    removeRemembered();
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);
}

// The process id in a part name ".NAME.part-PID-N", or 0 when it is none.
long partOwner(const std::string& name)
{
    const std::size_t at = name.rfind(".part-");
    if (name.size() < 2 || name[0] != '.' || at == std::string::npos || at == 0)
        return 0;
    const char* first = name.data() + at + 6;
    const char* last = name.data() + name.size();
    long pid = 0, count = 0;
    const auto [dash, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || dash == last || *dash != '-' || pid <= 0)
        return 0;
    const auto [end, countError] = std::from_chars(dash + 1, last, count);
    return countError == std::errc() && end == last && dash + 1 != last ? pid : 0;
}

} // namespace

std::string partName(const std::string& name)
{
    static std::atomic<unsigned> count{0};
    return "." + name + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
}

Remembered::Remembered(std::string path) : path_(std::move(path))
{
    const std::lock_guard guard(registryLock());
    registry().insert(this);
    listed_ = true;
}

Remembered::Remembered(std::string path, const std::function<bool(const std::string&)>& make) : path_(std::move(path))
{
    const std::lock_guard guard(registryLock());
    if (make(path_)) {
        registry().insert(this);
        listed_ = true;
    }
}

void Remembered::forget()
{
    if (!listed_)
        return;
    const std::lock_guard guard(registryLock());
    registry().erase(this);
    listed_ = false;
}

Committing::Committing() : lock_(commitLock()) {}

void removeOnInterrupt()
{
    const sigset_t set = interrupts();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(waitForInterrupts, set).detach();
}

int makeWorkFolder(const std::filesystem::path& folder)
{
    if (::mkdir(folder.c_str(), 0777) != 0)
        return errno;
    const int mark = ::open((folder / kWorkMark).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (mark < 0) {
        const int error = errno;
        ::rmdir(folder.c_str());
        return error;
    }
    ::close(mark);
    return 0;
}

void readyToPlace(const std::filesystem::path& folder) { ::unlink((folder / kWorkMark).c_str()); }

bool hasWorkMark(const std::filesystem::path& folder) { return ::access((folder / kWorkMark).c_str(), F_OK) == 0; }

int exchangePaths(const std::filesystem::path& first, const std::filesystem::path& second)
{
    return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0 ? 0 : errno;
}

bool leftBehind(const std::filesystem::path& entry)
{
    const long pid = partOwner(entry.filename().string());
    return pid != 0 && pid != ::getpid() && pid <= 0x7fffffff && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool removeIfLeftover(const std::filesystem::path& entry)
{
    if (!leftBehind(entry))
        return false;
    struct stat status {};
    if (::lstat(entry.c_str(), &status) != 0)
        return false;
    if (S_ISREG(status.st_mode))
        return ::unlink(entry.c_str()) == 0;
    if (!S_ISDIR(status.st_mode))
        return false;
    // A folder only when our mark says we made it: a user's folder may be named alike. An
    // empty one goes all the same: a run killed between making a folder and marking it leaves
    // it so, and an empty folder holds nothing to lose.
    if (::access((entry / kWorkMark).c_str(), F_OK) != 0)
        return ::rmdir(entry.c_str()) == 0;
    std::error_code ignored;
    std::filesystem::remove_all(entry, ignored);
    return true;
}

} // namespace iconfinder::scratch
