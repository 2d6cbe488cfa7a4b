#include "BytePattern.h"

#include "Hex.h"
#include "Trimmed.h"

#include <kq/StringUtils.h>

#include <stdexcept>

namespace quorvex {

BytePattern BytePattern::exactly(const std::vector<unsigned char>& bytes)
{
    BytePattern pattern;
    pattern.bytes.assign(bytes.begin(), bytes.end());
    return pattern;
}

BytePattern BytePattern::parse(const std::string& text)
{
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t') {
            packed += c;
        }
    }
    BytePattern pattern;
    if (!packed.empty() && packed.back() == '*') {
        pattern.anyTail = true;
        packed.pop_back();
    }
    if (packed.size() % 2 != 0) {
        throw std::runtime_error("'" + trimmed(text) + "' has an odd number of digits");
    }
    for (std::size_t at = 0; at < packed.size(); at += 2) {
        const std::string pair = packed.substr(at, 2);
        if (pair == "??") {
            pattern.bytes.push_back(any);
            continue;
        }
        const int high = hexDigit(pair[0]), low = hexDigit(pair[1]);
        if (high < 0 || low < 0) {
            throw std::runtime_error(
                "'" + pair + "' is neither a hex byte nor ??" +
                (pair.find('*') != std::string::npos ? " ('*' goes last)" : ""));
        }
        pattern.bytes.push_back(high * 16 + low);
    }
    return pattern;
}

bool BytePattern::matches(const std::vector<unsigned char>& got) const
{
    if (got.size() < bytes.size() || (!anyTail && got.size() != bytes.size())) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != any && bytes[i] != got[i]) {
            return false;
        }
    }
    return true;
}

bool BytePattern::allowsAny(std::size_t at) const
{
    return at < bytes.size() ? bytes[at] == any : anyTail;
}

std::size_t BytePattern::wildcards() const
{
    std::size_t count = 0;
    for (int b : bytes) {
        count += b == any ? 1 : 0;
    }
    return count;
}

std::string BytePattern::text() const
{
    std::string result;
    for (int b : bytes) {
        result +=
            (result.empty() ? "" : " ") + (b == any ? std::string("??") : kq::format("%02X", b));
    }
    if (anyTail) {
        result += result.empty() ? "*" : " *";
    }
    return result;
}

}  // namespace quorvex
