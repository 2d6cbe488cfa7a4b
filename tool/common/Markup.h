#pragma once

#include <string>

namespace quorvex {

// Text for XML and HTML content and attribute values: the five special characters
// as entities, control characters XML cannot hold as '?'.
std::string xmlText(const std::string& text);

// A JSON string literal, quotes included. Bytes above 0x7F are taken as Latin-1
// and written as \u escapes, so that the document is valid whatever the bytes.
std::string jsonString(const std::string& text);

// A latency for the reports: milliseconds with one decimal.
std::string milliseconds(double ms);

}  // namespace quorvex
