#include "Console.h"

#include <kq/NumberFormatter.h>

#include <cstdio>

namespace quorvex {

void print(const std::string& text)
{
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

Deadline::Deadline(std::chrono::milliseconds fromNow)
{
    restart(fromNow);
}

bool Deadline::passed() const
{
    return std::chrono::steady_clock::now() > at_;
}

std::chrono::milliseconds Deadline::left() const
{
    const auto rest = at_ - std::chrono::steady_clock::now();
    if (rest.count() <= 0)
        return std::chrono::milliseconds(0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(rest);
}

void Deadline::restart(std::chrono::milliseconds fromNow)
{
    at_ = std::chrono::steady_clock::now() + fromNow;
}

}  // namespace quorvex
