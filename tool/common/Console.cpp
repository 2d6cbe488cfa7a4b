#include "Console.h"

#include <cstdio>

namespace quorvex {

namespace {

std::string* printCopy = nullptr;

}  // namespace

void copyPrintsTo(std::string* sink)
{
    printCopy = sink;
}

void print(const std::string& text)
{
    if (printCopy) {
        *printCopy += text;
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void printError(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace quorvex
