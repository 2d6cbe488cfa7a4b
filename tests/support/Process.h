#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kqtest {

class ProcessImpl;
class OutputCapture;

// A child program with its standard output and error captured. The destructor
// kills (by PID) and reaps a child that is still running.
class Process {
public:
    // env holds extra "NAME=value" entries on top of this process's environment.
    Process(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The next whole line of standard output, without its line end; false when
    // none arrived within the time-out or the output ended.
    bool readLine(std::string& line, std::chrono::milliseconds timeout);

    // Exit status once the program ended and its output is complete. On time-out
    // the program is killed, a test failure is recorded and -1 is returned.
    int wait(std::chrono::milliseconds timeout);

    // Everything captured so far, regardless of readLine.
    std::string out() const;
    std::string err() const;
    long pid() const;
    // Processor time (user and system) the program used; valid after wait.
    std::chrono::milliseconds cpuTime() const;

private:
    std::unique_ptr<ProcessImpl> impl_;
    std::unique_ptr<OutputCapture> stdoutCapture_;
    std::unique_ptr<OutputCapture> stderrCapture_;
    bool exited_ = false;
    int status_ = -1;
};

// The program of that name in the folder of the running test executable.
std::string programPath(const std::string& name);

}  // namespace kqtest
