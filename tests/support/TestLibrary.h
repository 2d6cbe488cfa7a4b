#pragma once

#include <string>

namespace kqtest {

// The library the tests load: it exports `int kqtestAnswer()`, which returns 42.
const char* const TestLibraryFunction = "kqtestAnswer";
const int TestLibraryAnswer = 42;

// Its file name, and its path next to the running test executable.
std::string testLibraryName();
std::string testLibraryPath();

}  // namespace kqtest
