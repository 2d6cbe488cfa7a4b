#pragma once

#include <string>
#include <vector>

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

// Bytes as the step lines show them: "0A1B", and spaced "0A 1B " (a space after every byte).
std::string hex(const std::vector<unsigned char>& bytes);
std::string spacedHex(const std::vector<unsigned char>& bytes);
// Bytes separated by single spaces, none at the end: "0A 1B".
std::string separatedHex(const unsigned char* bytes, unsigned int size);

}  // namespace quorvex
