#include "support/detail/ProcessImpl.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kqtest {

namespace {

struct PipePair {
    int readEnd = -1;
    int writeEnd = -1;
};

PipePair makePipe()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    }
    return PipePair{fds[0], fds[1]};
}

// Extra entries replace inherited ones of the same name.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& x : extra) {
            replaced = replaced || x.compare(0, name.size(), name) == 0;
        }
        if (!replaced) {
            merged.push_back(entry);
        }
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings) {
        result.push_back(&s[0]);
    }
    result.push_back(nullptr);
    return result;
}

std::chrono::milliseconds milliseconds(const timeval& t)
{
    return std::chrono::milliseconds(static_cast<long long>(t.tv_sec) * 1000 + t.tv_usec / 1000);
}

}  // namespace

struct ProcessImpl::Handles {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    bool reaped = false;
    std::chrono::milliseconds cpu{0};
};

ProcessImpl::ProcessImpl(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env)
    : handles_(new Handles)
{
    PipePair out = makePipe();
    PipePair err = makePipe();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.writeEnd, 1);
    posix_spawn_file_actions_adddup2(&actions, err.writeEnd, 2);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = mergedEnvironment(env);
    std::vector<char*> argv = pointers(argStrings);
    std::vector<char*> envp = pointers(envStrings);

    const int rc =
        posix_spawn(&handles_->pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out.writeEnd);
    ::close(err.writeEnd);
    if (rc != 0) {
        ::close(out.readEnd);
        ::close(err.readEnd);
        throw std::runtime_error("posix_spawn( " + program + " ): " + std::strerror(rc));
    }
    handles_->out = out.readEnd;
    handles_->err = err.readEnd;
}

ProcessImpl::~ProcessImpl()
{
    ::close(handles_->out);
    ::close(handles_->err);
}

std::size_t ProcessImpl::read(Pipe pipe, char* buffer, std::size_t size)
{
    const int fd = pipe == Pipe::Out ? handles_->out : handles_->err;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

bool ProcessImpl::waitExit(std::chrono::milliseconds timeout, int& status)
{
    // wait4 has no time-out: poll it, pausing briefly between checks.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int raw = 0;
        rusage usage{};
        const pid_t done = ::wait4(handles_->pid, &raw, WNOHANG, &usage);
        if (done == handles_->pid) {
            handles_->reaped = true;
            handles_->cpu = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return true;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ProcessImpl::kill()
{
    if (!handles_->reaped) {
        ::kill(handles_->pid, SIGKILL);
    }
}

long ProcessImpl::pid() const
{
    return static_cast<long>(handles_->pid);
}

std::chrono::milliseconds ProcessImpl::cpuTime() const
{
    return handles_->cpu;
}

std::string executableFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        throw std::runtime_error("::readlink( /proc/self/exe ) failed");
    }
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

const char* programSuffix()
{
    return "";
}

}  // namespace kqtest
