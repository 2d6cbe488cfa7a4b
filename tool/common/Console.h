#pragma once

#include <string>

namespace quorvex {

// One line (or more) on standard output, flushed at once: a person watches the
// tools as they run, and a test reads their output while they run.
void print(const std::string& text);
// From now on print() also appends its text here (null: no longer), for a
// transcript of the steps in a report.
void copyPrintsTo(std::string* sink);

// Copies the prints to sink while it exists.
class PrintsCopied {
public:
    explicit PrintsCopied(std::string& sink) { copyPrintsTo(&sink); }
    ~PrintsCopied() { copyPrintsTo(nullptr); }
    PrintsCopied(const PrintsCopied&) = delete;
    PrintsCopied& operator=(const PrintsCopied&) = delete;
};
// The same on standard error, for warnings that must not mix with the step lines.
void printError(const std::string& text);

}  // namespace quorvex
