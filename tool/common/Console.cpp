#include "Console.h"

#include <kq/NumberFormatter.h>

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
    if (printCopy)
        *printCopy += text;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void printError(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

std::string hex(const std::vector<unsigned char>& bytes)
{
    return kq::NumberFormatter::buffer2stringU(bytes.data(),
                                               static_cast<unsigned int>(bytes.size()));
}

std::string spacedHex(const std::vector<unsigned char>& bytes)
{
    return kq::NumberFormatter::buffer2stringU2(bytes.data(),
                                                static_cast<unsigned int>(bytes.size()));
}

std::string separatedHex(const unsigned char* bytes, unsigned int size)
{
    std::string text = kq::NumberFormatter::buffer2stringU2(bytes, size);
    if (!text.empty())
        text.pop_back();
    return text;
}

}  // namespace quorvex
