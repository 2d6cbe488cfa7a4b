#pragma once

#include <string>
#include <vector>

namespace quorvex {

// Bytes as the step lines show them: "0A1B", and spaced "0A 1B " (a space after every byte).
std::string hex(const std::vector<unsigned char>& bytes);
std::string spacedHex(const std::vector<unsigned char>& bytes);
// Bytes separated by single spaces, none at the end: "0A 1B".
std::string separatedHex(const unsigned char* bytes, unsigned int size);

// The value of a hex digit of either case; -1 for any other character.
int hexDigit(char c);

// Two hex digits a byte, either case, blanks (spaces and tabs) ignored, as
// "00 A4 04 00" or "00a40400". False for any other character or an odd number
// of digits; bytes then holds what was read so far.
bool parseHexBytes(const std::string& text, std::vector<unsigned char>& bytes);

// Bytes as printable text: characters 20 to 7E as they are, any other as '.'.
std::string printable(const std::vector<unsigned char>& bytes);

}  // namespace quorvex
