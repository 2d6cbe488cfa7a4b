#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kqtest {

// A broken promise ends the run with the input saved by libFuzzer as a crash.
inline void fuzzCheck(bool holds, const char* promise, const std::string& detail = "")
{
    if (holds) {
        return;
    }
    std::fprintf(stderr, "broken promise: %s\n%s\n", promise, detail.c_str());
    std::abort();
}

}  // namespace kqtest
