#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kqtest {

// A parsed JSON value; parseJson throws std::runtime_error on text that is not JSON.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    bool boolean = false;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& name) const { return members.at(name); }
    const Json& operator[](std::size_t index) const { return items.at(index); }
};
Json parseJson(const std::string& text);

// A parsed XML element; parseXml throws std::runtime_error on text that is not
// well-formed (declaration, elements, attributes, text, the five entities).
struct Xml {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
    std::vector<Xml> children;

    std::vector<const Xml*> all(const std::string& childName) const;
};
Xml parseXml(const std::string& text);

}  // namespace kqtest
