#pragma once

#include <cstdio>
#include <string>

namespace kqbench {

// The folder of the running benchmark, where the programs it runs are built too.
std::string binDir();

// QuorvexDevice serving a log on a pseudo-terminal of its own, while this exists.
class PtyDevice {
public:
    explicit PtyDevice(const std::string& log);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // The pseudo-terminal as the device printed it: "pts/3".
    const std::string& port() const { return port_; }

private:
    FILE* process_;
    std::string port_;
};

// QuorvexLoader replaying log on port with options, its output discarded;
// true when it exits 0.
bool replayOn(const std::string& port, const std::string& log, const std::string& options);

}  // namespace kqbench
