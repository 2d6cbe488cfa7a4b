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

// What an interrupt (SIGINT or SIGTERM; on Windows Ctrl-C, Ctrl-Break or closing
// the console) does once catchInterrupts has run.
enum class OnInterrupt {
    // Only note the request: interruptRequested and throwIfInterrupted act on it.
    Note,
    // End the program at once with exit status 0. For a command whose normal end
    // is being interrupted: every line it printed is out already, and the system
    // drops what the process held.
    EndQuietly,
};

void catchInterrupts(OnInterrupt action = OnInterrupt::Note);
bool interruptRequested();
void throwIfInterrupted();
// Sleeps until the moment on the monotonic clock, but throws Interrupted as soon
// as a request arrives.
void restUntil(std::chrono::steady_clock::time_point end);

// For the platform's handler.
void noteInterrupt(int signal);

}  // namespace quorvex
