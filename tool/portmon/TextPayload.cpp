#include "TextPayload.h"

namespace quorvex {

TextPayload decodeTextPayload(const std::string& text, long declared, unsigned char dot)
{
    std::size_t start = !text.empty() && text[0] == ' ' ? 1 : 0;
    std::size_t size = text.size() - start;
    if (declared >= 0 && size > static_cast<std::size_t>(declared))
        size = static_cast<std::size_t>(declared);
    TextPayload payload;
    for (std::size_t i = start; i < start + size; ++i) {
        const bool isDot = text[i] == '.';
        payload.bytes.push_back(isDot ? dot : static_cast<unsigned char>(text[i]));
        payload.dots.push_back(isDot);
    }
    return payload;
}

}  // namespace quorvex
