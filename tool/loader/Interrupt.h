#pragma once

#include <chrono>
#include <stdexcept>

namespace quorvex {

// Ends a run that was asked to stop, so that everything it holds is released
// on the way out as after an error: the port is closed, its exclusive use ends.
class Interrupted : public std::runtime_error {
public:
    Interrupted(const char* signalName, int signal);
    // 128 plus the signal number, as a shell reports a program that a signal ended.
    int exitStatus() const { return exitStatus_; }

private:
    int exitStatus_;
};

// From now on SIGINT and SIGTERM (on Windows Ctrl-C, Ctrl-Break and closing the
// console) only note the request; throwIfInterrupted acts on it.
void catchInterrupts();
void throwIfInterrupted();
// Sleeps until the moment on the monotonic clock, but throws Interrupted as soon
// as a request arrives.
void restUntil(std::chrono::steady_clock::time_point end);

// For the platform's handler.
void noteInterrupt(int signal);

}  // namespace quorvex
