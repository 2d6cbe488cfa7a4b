#include "BytePattern.h"

#include "common/Hex.h"

#include <kq/NumberParser.h>
#include <kq/StringUtils.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace quorvex {

namespace {

std::string trimmed(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

long lineNumberOf(const std::string& text)
{
    int line = 0;
    if (!kq::NumberParser::tryParseInt32(trimmed(text), line) || line < 1) {
        throw std::runtime_error(
            kq::format("'%s' is no log line number: write 'L: PATTERN'", trimmed(text).c_str()));
    }
    return line;
}

}  // namespace

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

MaskSet parseMasks(const std::string& text)
{
    MaskSet masks;
    std::istringstream lines(text);
    long number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string content = trimmed(line.substr(0, line.find('#')));
        if (content.empty()) {
            continue;
        }
        try {
            const std::size_t colon = content.find(':');
            if (colon == std::string::npos) {
                throw std::runtime_error("no ':' after the log line number: write 'L: PATTERN'");
            }
            const long block = lineNumberOf(content.substr(0, colon));
            if (!masks.emplace(block, BytePattern::parse(content.substr(colon + 1))).second) {
                throw std::runtime_error(kq::format("a second pattern for line %ld", block));
            }
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(kq::format("line %ld: %s", number, e.what()));
        }
    }
    return masks;
}

MaskSet readMaskFile(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        throw std::runtime_error(kq::format("can't read the mask file '%s'", fileName.c_str()));
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    try {
        return parseMasks(text);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(kq::format("mask file '%s' %s", fileName.c_str(), e.what()));
    }
}

std::string maskText(const MaskSet& masks)
{
    std::string text = "# log line of the block's first read: expected bytes, ?? for any byte\n";
    for (const auto& mask : masks) {
        text += kq::format("%ld: %s\n", mask.first, mask.second.text().c_str());
    }
    return text;
}

}  // namespace quorvex
