#pragma once

#include <string>

namespace quorvex {

// One JSON object on one line, its members in the order they are added:
// {"command": "00A4", "sw": "9000"}.
class JsonLine {
public:
    JsonLine& add(const std::string& name, const std::string& value);
    JsonLine& add(const std::string& name, const char* value);
    JsonLine& add(const std::string& name, bool value);
    JsonLine& add(const std::string& name, int value);
    // A value that is JSON already (an array, an object).
    JsonLine& addJson(const std::string& name, const std::string& json);
    // The object alone, and the object and a line end.
    std::string object() const;
    std::string text() const;

private:
    std::string members_;
};

}  // namespace quorvex
