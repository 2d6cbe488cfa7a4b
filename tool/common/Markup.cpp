#include "Markup.h"

#include <kq/StringUtils.h>

namespace quorvex {

std::string xmlText(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            case '\'':
                result += "&#39;";
                break;
            default:
                const bool control =
                    static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
                result += control ? '?' : c;
        }
    }
    return result;
}

std::string jsonString(const std::string& text, HighBytes high)
{
    std::string result = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            result += std::string("\\") + c;
        } else if (byte < 0x20 || (byte > 0x7E && high == HighBytes::Escaped)) {
            result += kq::format("\\u%04X", static_cast<unsigned int>(byte));
        } else {
            result += c;
        }
    }
    return result + "\"";
}

std::string milliseconds(double ms)
{
    return kq::format("%.1f", ms);
}

}  // namespace quorvex
