#pragma once

#include <string>
#include <vector>

namespace quorvex {

// One request the device expected from the host.
struct RequestRecord {
    long line = 0;
    std::vector<unsigned char> expected;
    std::vector<unsigned char> got;
    // The mask file's pattern the request was compared with; empty when none.
    std::string mask;
    bool matched = false;
};

// {"log", "port", "requests": [{"line", "expected", "got", "mask"?, "verdict"}],
// "summary": {"requests", "matched", "mismatched"}}, hex upper-case without spaces.
// Throws std::runtime_error when the file cannot be written.
void writeDeviceJson(const std::string& fileName, const std::string& log, const std::string& port,
                     const std::vector<RequestRecord>& requests);

}  // namespace quorvex
