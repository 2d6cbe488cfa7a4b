#include "Hex.h"

#include <kq/NumberFormatter.h>

namespace quorvex {

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
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool parseHexBytes(const std::string& text, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        const int value = hexDigit(c);
        if (value < 0) {
            return false;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<unsigned char>(high << 4 | value));
            high = -1;
        }
    }
    return high < 0;
}

std::string printable(const std::vector<unsigned char>& bytes)
{
    std::string text;
    for (const unsigned char b : bytes) {
        text += b >= 0x20 && b <= 0x7E ? static_cast<char>(b) : '.';
    }
    return text;
}

}  // namespace quorvex
