#pragma once

#include <kq/export.h>

#include <string>
#include <vector>

namespace kq {
namespace NumberFormatter {

// "01ABFF": two upper-case hex digits per byte.
KQ_API std::string buffer2stringU(const void* data, unsigned int size);
// "01abff"
KQ_API std::string buffer2stringL(const void* data, unsigned int size);
// "01 AB FF ": a space after every byte, the last one included.
KQ_API std::string buffer2stringU2(const void* data, unsigned int size);
// "01 ab ff "
KQ_API std::string buffer2stringL2(const void* data, unsigned int size);
// Two decimal digits per packed-BCD byte; nibbles above 9 are not checked.
KQ_API std::string bcd2string(const void* data, unsigned int size);
// "yes" or "no".
KQ_API std::string formatBool(bool value);
// Hex dump with a character column, bytesPerLine bytes a line, no final line feed.
// Throws std::invalid_argument when bytesPerLine is below 1.
KQ_API std::string formatBuffer(const void* data, unsigned int size, int bytesPerLine);
// Unbroken hex text to bytes; an odd length makes the first digit a byte of its own.
// Throws std::runtime_error "invalid hex char '%c'" at the first non-hex character.
KQ_API std::vector<unsigned char> string2buffer(const std::string& text);

}  // namespace NumberFormatter
}  // namespace kq
