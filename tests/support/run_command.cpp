#include "tests/support/run_command.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <csignal>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace iconfinder::test {

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CommandResult runCommand(const std::string& program, const std::vector<std::string>& args, std::optional<SignalAfter> interrupt)
{
    char outPath[] = "/tmp/iconfinder-out-XXXXXX";
    char errPath[] = "/tmp/iconfinder-err-XXXXXX";
    const int outFd = ::mkstemp(outPath);
    const int errFd = ::mkstemp(errPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outFd);
    ::close(errFd);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + program);
    if (interrupt) {
        ::usleep(static_cast<useconds_t>(interrupt->micros));
        ::kill(pid, interrupt->signal);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CommandResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(outPath), slurp(errPath)};
    ::unlink(outPath);
    ::unlink(errPath);
    return result;
}

} // namespace iconfinder::test
