#pragma once

#include <string>
#include <vector>

namespace quorvex {

// Two hex digits a byte, either case, blanks (spaces and tabs) ignored, as
// "00 A4 04 00" or "00a40400". False for any other character or an odd number
// of digits; bytes then holds what was read so far.
bool parseHexBytes(const std::string& text, std::vector<unsigned char>& bytes);

// Bytes as printable text: characters 20 to 7E as they are, any other as '.'.
std::string printable(const std::vector<unsigned char>& bytes);

}  // namespace quorvex
