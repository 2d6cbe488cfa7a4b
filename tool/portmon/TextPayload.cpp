#include "TextPayload.h"

#include <kq/StringUtils.h>

#include <cctype>
#include <stdexcept>

namespace quorvex {

unsigned char dotByte(const std::string& text)
{
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (text.size() != 2 || !isHex(text[0]) || !isHex(text[1])) {
        throw std::runtime_error(kq::format(
            "invalid --dot '%s': give the byte a '.' stands for as two hex digits, e.g. --dot=0D",
            text.c_str()));
    }
    return static_cast<unsigned char>(std::stoi(text, nullptr, 16));
}

TextPayload decodeTextPayload(const std::string& text, long declared, unsigned char dot)
{
    std::size_t start = !text.empty() && text[0] == ' ' ? 1 : 0;
    std::size_t size = text.size() - start;
    if (declared >= 0 && size > static_cast<std::size_t>(declared)) {
        size = static_cast<std::size_t>(declared);
    }
    TextPayload payload;
    for (std::size_t i = start; i < start + size; ++i) {
        const bool isDot = text[i] == '.';
        payload.bytes.push_back(isDot ? dot : static_cast<unsigned char>(text[i]));
        payload.dots.push_back(isDot);
    }
    return payload;
}

}  // namespace quorvex
