#pragma once

#include <string>
#include <vector>

namespace quorvex {

// A payload as a log saved without hex display shows it: one character a byte,
// and '.' wherever the display had no character to show.
struct TextPayload {
    std::vector<unsigned char> bytes;
    // True where the log shows '.': in a send the byte it stands for, in a read any byte.
    std::vector<bool> dots;
};

// text is what follows the length field's ':'. The one space PortMon writes after
// the colon is not part of the payload, nor are characters past the declared count
// (-1: none readable), which PortMon pads the line with.
// The byte of a --dot=HH option: two hex digits. Throws std::runtime_error naming the option.
unsigned char dotByte(const std::string& text);

TextPayload decodeTextPayload(const std::string& text, long declared, unsigned char dot);

}  // namespace quorvex
