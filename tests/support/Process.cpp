#include "support/Process.h"

#include "support/ProcessImpl.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kqtest {

// Drains one pipe on its own thread so the child never blocks on a full pipe.
class OutputCapture {
public:
    OutputCapture(ProcessImpl& process, Pipe pipe)
        : reader([this, &process, pipe] { drain(process, pipe); })
    {
    }
    ~OutputCapture() { reader.join(); }

    bool nextLine(std::string& line, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex);
        std::size_t end = std::string::npos;
        const bool found = changed.wait_for(lock, timeout, [&] {
            end = text.find('\n', consumed);
            return end != std::string::npos || closed;
        });
        if (!found || end == std::string::npos)
            return false;
        line = text.substr(consumed, end - consumed);
        consumed = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }

    bool waitClosed(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return closed; });
    }

    std::string all() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return text;
    }

private:
    void drain(ProcessImpl& process, Pipe pipe)
    {
        char buffer[4096];
        for (;;) {
            const std::size_t n = process.read(pipe, buffer, sizeof buffer);
            std::lock_guard<std::mutex> lock(mutex);
            if (n == 0) {
                closed = true;
                changed.notify_all();
                return;
            }
            text.append(buffer, n);
            changed.notify_all();
        }
    }

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::string text;
    std::size_t consumed = 0;
    bool closed = false;
    std::thread reader;
};

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& env)
    : impl(new ProcessImpl(program, args, env)),
      stdoutCapture(new OutputCapture(*impl, Pipe::Out)),
      stderrCapture(new OutputCapture(*impl, Pipe::Err))
{
}

Process::~Process()
{
    if (!exited) {
        impl->kill();
        impl->waitExit(std::chrono::milliseconds(10000), status);
    }
    // The pipes close once the child is gone, which ends both reader threads.
    stdoutCapture.reset();
    stderrCapture.reset();
}

bool Process::readLine(std::string& line, std::chrono::milliseconds timeout)
{
    return stdoutCapture->nextLine(line, timeout);
}

int Process::wait(std::chrono::milliseconds timeout)
{
    if (exited)
        return status;
    if (!impl->waitExit(timeout, status)) {
        ADD_FAILURE() << "process " << pid() << " still running after " << timeout.count()
                      << " ms; killed";
        impl->kill();
        impl->waitExit(std::chrono::milliseconds(10000), status);
        exited = true;
        status = -1;
        return status;
    }
    exited = true;
    const std::chrono::milliseconds drainLimit(10000);
    if (!stdoutCapture->waitClosed(drainLimit) || !stderrCapture->waitClosed(drainLimit))
        ADD_FAILURE() << "output of process " << pid() << " still open after it ended";
    return status;
}

std::string Process::out() const
{
    return stdoutCapture->all();
}

std::string Process::err() const
{
    return stderrCapture->all();
}

long Process::pid() const
{
    return impl->pid();
}

std::chrono::milliseconds Process::cpuTime() const
{
    return impl->cpuTime();
}

std::string programPath(const std::string& name)
{
    return executableFolder() + name + programSuffix();
}

}  // namespace kqtest
