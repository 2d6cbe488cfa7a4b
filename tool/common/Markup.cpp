#include "Markup.h"

#include "Hex.h"

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

std::string jsonExchangeFields(long line, const std::vector<unsigned char>& expected,
                               const std::vector<unsigned char>& got, const std::string& mask)
{
    std::string fields = kq::format("\"line\": %ld, \"expected\": ", line) +
                         jsonString(hex(expected)) + ", \"got\": " + jsonString(hex(got));
    if (!mask.empty()) {
        fields += ", \"mask\": " + jsonString(mask);
    }
    return fields;
}

void writeJsonDocument(std::ostream& out, const std::string& log, const std::string& port,
                       const char* listName, const std::vector<std::string>& entries,
                       const std::string& summary)
{
    out << "{\n  \"log\": " << jsonString(log) << ",\n  \"port\": " << jsonString(port) << ",\n  \""
        << listName << "\": [";
    const char* separator = "\n";
    for (const std::string& entry : entries) {
        out << separator << "    " << entry;
        separator = ",\n";
    }
    out << (entries.empty() ? "],\n" : "\n  ],\n") << "  \"summary\": " << summary << "\n}\n";
}

}  // namespace quorvex
