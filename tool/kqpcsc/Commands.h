#pragma once

#include <kq/io/pcsc.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {

// A command line that kqpcsc does not understand (exit status 2).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    bool json = false;
    bool t0 = false;
    bool keepGoing = false;
    unsigned int timeoutMs = kq::io::InfiniteTimeout;
};

// Each command returns the exit status, or throws: UsageError, ScriptError (both
// status 2), any other std::exception (status 1).
int listReaders(const Options& options);
int showStatus(const std::string& reader, const Options& options);
int sendApdus(const std::string& reader, const std::vector<std::string>& apdus,
              const Options& options);
int runScript(const std::string& reader, const std::string& file, const Options& options);
int showAtr(const std::string& hexText, const Options& options);
int waitForCard(const std::string& reader, const Options& options);
int watchReaders(const Options& options);

}  // namespace quorvex
