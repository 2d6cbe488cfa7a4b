#include "MaskFile.h"

#include "common/Trimmed.h"

#include <kq/NumberParser.h>
#include <kq/StringUtils.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace quorvex {

namespace {

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
