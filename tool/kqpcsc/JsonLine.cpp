#include "JsonLine.h"

#include "common/Markup.h"

namespace quorvex {

// Reader names and card texts are UTF-8 already: their bytes stay as they are.
JsonLine& JsonLine::addJson(const std::string& name, const std::string& json)
{
    members_ += (members_.empty() ? "" : ", ") + jsonString(name, HighBytes::Kept) + ": " + json;
    return *this;
}

JsonLine& JsonLine::add(const std::string& name, const std::string& value)
{
    return addJson(name, jsonString(value, HighBytes::Kept));
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
