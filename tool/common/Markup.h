#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quorvex {

// Text for XML and HTML content and attribute values: the five special characters
// as entities, control characters XML cannot hold as '?'.
std::string xmlText(const std::string& text);

// What a JSON string literal makes of the bytes from 0x7F up: Latin-1 characters
// written as \u escapes, so that the document is valid whatever the bytes; or the
// bytes as they are, for text that is UTF-8 already.
enum class HighBytes { Escaped, Kept };

// A JSON string literal, quotes included; quotes, backslashes and control
// characters escaped.
std::string jsonString(const std::string& text, HighBytes high = HighBytes::Escaped);

// A latency for the reports: milliseconds with one decimal.
std::string milliseconds(double ms);

// The fields every compared exchange has in the JSON reports: "line", "expected"
// and "got" as hex, and "mask" when one applied (mask not empty); no braces.
std::string jsonExchangeFields(long line, const std::vector<unsigned char>& expected,
                               const std::vector<unsigned char>& got, const std::string& mask);

// A JSON report: "log", "port", each entry (an object) on a line of its own in the
// list named listName, and "summary" (an object).
void writeJsonDocument(std::ostream& out, const std::string& log, const std::string& port,
                       const char* listName, const std::vector<std::string>& entries,
                       const std::string& summary);

}  // namespace quorvex
