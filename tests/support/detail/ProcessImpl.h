#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kqtest {

enum class Pipe { Out, Err };

// The operating-system side of Process: start, pipes, wait, kill. Process kills
// and reaps the child before it destroys this, which then only closes handles.
class ProcessImpl {
public:
    ProcessImpl(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env);
    ~ProcessImpl();
    ProcessImpl(const ProcessImpl&) = delete;
    ProcessImpl& operator=(const ProcessImpl&) = delete;

    // Blocks until some bytes arrive; 0 at the end of the output.
    std::size_t read(Pipe pipe, char* buffer, std::size_t size);
    // True with the exit status once the child ended within the time-out.
    bool waitExit(std::chrono::milliseconds timeout, int& status);
    void kill();
    long pid() const;
    // Processor time (user and system) the child used; valid once waitExit succeeded.
    std::chrono::milliseconds cpuTime() const;

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

// The folder of the running executable, with a trailing separator.
std::string executableFolder();
// What the platform appends to program names.
const char* programSuffix();

}  // namespace kqtest
