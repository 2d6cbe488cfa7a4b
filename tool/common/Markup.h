#pragma once

#include <string>

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

}  // namespace quorvex
