#include "JsonLine.h"

#include <kq/StringUtils.h>

namespace quorvex {

std::string jsonString(const std::string& text)
{
    std::string result = "\"";
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            result += std::string("\\") + c;
        else if (code < 0x20)
            result += kq::format("\\u%04X", code);
        else
            result += c;
    }
    return result + "\"";
}

JsonLine& JsonLine::addJson(const std::string& name, const std::string& json)
{
    members_ += (members_.empty() ? "" : ", ") + jsonString(name) + ": " + json;
    return *this;
}

JsonLine& JsonLine::add(const std::string& name, const std::string& value)
{
    return addJson(name, jsonString(value));
}

JsonLine& JsonLine::add(const std::string& name, const char* value)
{
    return add(name, std::string(value));
}

JsonLine& JsonLine::add(const std::string& name, bool value)
{
    return addJson(name, value ? "true" : "false");
}

JsonLine& JsonLine::add(const std::string& name, int value)
{
    return addJson(name, std::to_string(value));
}

std::string JsonLine::object() const
{
    return "{" + members_ + "}";
}

std::string JsonLine::text() const
{
    return object() + "\n";
}

}  // namespace quorvex
