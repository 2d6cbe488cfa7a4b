#include "support/Process.h"

#include "support/detail/ProcessImpl.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kqtest {

// Drains one pipe on its own thread so the child never blocks on a full pipe.
class OutputCapture {
public:
    OutputCapture(ProcessImpl& process, Pipe pipe)
        : reader_([this, &process, pipe] { drain(process, pipe); })
    {
    }
    ~OutputCapture() { reader_.join(); }

    bool nextLine(std::string& line, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        std::size_t end = std::string::npos;
        const bool found = changed_.wait_for(lock, timeout, [&] {
            end = text_.find('\n', consumed_);
            return end != std::string::npos || closed_;
        });
        if (!found || end == std::string::npos) {
            return false;
        }
        line = text_.substr(consumed_, end - consumed_);
        consumed_ = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }

    bool waitClosed(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return closed_; });
    }

    std::string all() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

private:
    void drain(ProcessImpl& process, Pipe pipe)
    {
        char buffer[4096];
        for (;;) {
            const std::size_t n = process.read(pipe, buffer, sizeof buffer);
            std::lock_guard<std::mutex> lock(mutex_);
            if (n == 0) {
                closed_ = true;
                changed_.notify_all();
                return;
            }
            text_.append(buffer, n);
            changed_.notify_all();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string text_;
    std::size_t consumed_ = 0;
    bool closed_ = false;
    std::thread reader_;
};

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& env)
    : impl_(new ProcessImpl(program, args, env)),
      stdoutCapture_(new OutputCapture(*impl_, Pipe::Out)),
      stderrCapture_(new OutputCapture(*impl_, Pipe::Err))
{
}

Process::~Process()
{
    if (!exited_) {
        impl_->kill();
        impl_->waitExit(std::chrono::milliseconds(10000), status_);
    }
    // The pipes close once the child is gone, which ends both reader threads.
    stdoutCapture_.reset();
    stderrCapture_.reset();
}

bool Process::readLine(std::string& line, std::chrono::milliseconds timeout)
{
    return stdoutCapture_->nextLine(line, timeout);
}

int Process::wait(std::chrono::milliseconds timeout)
{
    if (exited_) {
        return status_;
    }
    if (!impl_->waitExit(timeout, status_)) {
        ADD_FAILURE() << "process " << pid() << " still running after " << timeout.count()
                      << " ms; killed";
        impl_->kill();
        impl_->waitExit(std::chrono::milliseconds(10000), status_);
        exited_ = true;
        status_ = -1;
        return status_;
    }
    exited_ = true;
    const std::chrono::milliseconds drainLimit(10000);
    if (!stdoutCapture_->waitClosed(drainLimit) || !stderrCapture_->waitClosed(drainLimit)) {
        ADD_FAILURE() << "output of process " << pid() << " still open after it ended";
    }
    return status_;
}

std::string Process::out() const
{
    return stdoutCapture_->all();
}

std::string Process::err() const
{
    return stderrCapture_->all();
}

long Process::pid() const
{
    return impl_->pid();
}

std::chrono::milliseconds Process::cpuTime() const
{
    return impl_->cpuTime();
}

std::string programPath(const std::string& name)
{
    return executableFolder() + name + programSuffix();
}

}  // namespace kqtest
