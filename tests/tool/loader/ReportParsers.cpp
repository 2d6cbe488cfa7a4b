#include "ReportParsers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace kqtest {

namespace {

class Cursor {
public:
    explicit Cursor(const std::string& text) : text_(text) {}

    void skipSpace()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) {
            ++at_;
        }
    }
    bool take(const std::string& word)
    {
        skipSpace();
        return takeHere(word);
    }
    bool takeHere(const std::string& word)
    {
        const bool found = text_.compare(at_, word.size(), word) == 0;
        at_ += found ? word.size() : 0;
        return found;
    }
    void expect(const std::string& word)
    {
        if (!take(word)) {
            fail("expected '" + word + "'");
        }
    }
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    char next()
    {
        if (at_ >= text_.size()) {
            fail("unexpected end");
        }
        return text_[at_++];
    }
    bool atEnd()
    {
        skipSpace();
        return at_ == text_.size();
    }
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error(what + " at offset " + std::to_string(at_));
    }
    std::size_t at_ = 0;
    const std::string& text_;
};

std::string jsonString(Cursor& c)
{
    c.expect("\"");
    std::string result;
    for (char ch = c.next(); ch != '"'; ch = c.next()) {
        if (static_cast<unsigned char>(ch) < 0x20) {
            c.fail("control character in a string");
        }
        if (ch != '\\') {
            result += ch;
            continue;
        }
        const char escape = c.next();
        if (escape == 'u') {
            const std::string digits = {c.next(), c.next(), c.next(), c.next()};
            result += static_cast<char>(std::strtol(digits.c_str(), nullptr, 16));
        } else if (escape == 'n') {
            result += '\n';
        } else if (escape == '"' || escape == '\\' || escape == '/') {
            result += escape;
        } else {
            c.fail("unknown escape");
        }
    }
    return result;
}

Json jsonValue(Cursor& c)
{
    Json value;
    c.skipSpace();
    if (c.peek() == '"') {
        value.kind = Json::String;
        value.text = jsonString(c);
    } else if (c.take("{")) {
        value.kind = Json::Object;
        while (!c.take("}")) {
            if (!value.members.empty()) {
                c.expect(",");
            }
            c.skipSpace();
            const std::string name = jsonString(c);
            c.expect(":");
            value.members[name] = jsonValue(c);
        }
    } else if (c.take("[")) {
        value.kind = Json::Array;
        while (!c.take("]")) {
            if (!value.items.empty()) {
                c.expect(",");
            }
            value.items.push_back(jsonValue(c));
        }
    } else if (c.take("null")) {
    } else if (c.take("true")) {
        value.kind = Json::Bool;
        value.boolean = true;
    } else if (c.take("false")) {
        value.kind = Json::Bool;
    } else {
        const char* start = c.text_.c_str() + c.at_;
        char* end = nullptr;
        value.kind = Json::Number;
        value.number = std::strtod(start, &end);
        if (end == start) {
            c.fail("no JSON value");
        }
        c.at_ += static_cast<std::size_t>(end - start);
    }
    return value;
}

std::string xmlText(Cursor& c, char stop)
{
    std::string result;
    while (c.peek() != stop && c.peek() != '\0') {
        const char ch = c.next();
        if (ch == '<' || (ch == '>' && stop == '"')) {
            c.fail("bare '<' or '>'");
        }
        if (ch != '&') {
            result += ch;
            continue;
        }
        static const std::pair<const char*, char> entities[] = {
            {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"#39;", '\''}};
        const auto* entity = std::find_if(std::begin(entities), std::end(entities),
                                          [&](const auto& e) { return c.takeHere(e.first); });
        if (entity == std::end(entities)) {
            c.fail("unknown entity");
        }
        result += entity->second;
    }
    return result;
}

std::string xmlName(Cursor& c)
{
    std::string name;
    while (std::isalnum(static_cast<unsigned char>(c.peek())) || c.peek() == '-' ||
           c.peek() == '_' || c.peek() == ':') {
        name += c.next();
    }
    if (name.empty()) {
        c.fail("no name");
    }
    return name;
}

Xml xmlElement(Cursor& c)
{
    Xml element;
    c.expect("<");
    element.name = xmlName(c);
    while (!c.take(">")) {
        if (c.take("/>")) {
            return element;
        }
        c.skipSpace();
        const std::string name = xmlName(c);
        c.expect("=\"");
        element.attributes[name] = xmlText(c, '"');
        c.expect("\"");
    }
    for (;;) {
        element.text += xmlText(c, '<');
        if (c.take("</")) {
            if (xmlName(c) != element.name) {
                c.fail("end tag of another element");
            }
            c.expect(">");
            return element;
        }
        element.children.push_back(xmlElement(c));
    }
}

}  // namespace

std::vector<const Xml*> Xml::all(const std::string& childName) const
{
    std::vector<const Xml*> found;
    for (const Xml& child : children) {
        if (child.name == childName) {
            found.push_back(&child);
        }
    }
    return found;
}

Json parseJson(const std::string& text)
{
    Cursor c(text);
    Json value = jsonValue(c);
    if (!c.atEnd()) {
        c.fail("text after the value");
    }
    return value;
}

Xml parseXml(const std::string& text)
{
    Cursor c(text);
    if (c.take("<?xml")) {
        while (c.next() != '?') {
        }
        c.expect(">");
    }
    c.skipSpace();
    Xml root = xmlElement(c);
    if (!c.atEnd()) {
        c.fail("text after the root element");
    }
    return root;
}

}  // namespace kqtest
