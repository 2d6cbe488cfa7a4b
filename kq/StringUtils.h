#pragma once

#include <kq/export.h>

#include <string>
#include <vector>

namespace kq {

// printf-style formatting into a string of exactly the produced length.
KQ_API std::string format(const char* fmt, ...) KQ_PRINTF_FORMAT(1, 2);

// Byte-wise equality.
KQ_API bool compare(const std::string& a, const std::string& b);
// Equality after mapping ASCII letters to lower case.
KQ_API bool icompare(const std::string& a, const std::string& b);

KQ_API std::string toLower(const std::string& s);
KQ_API std::string& toLowerInPlace(std::string& s);
KQ_API std::string toUpper(const std::string& s);
KQ_API std::string& toUpperInPlace(std::string& s);

// Pieces of text between occurrences of the whole delimiter.
// Throws std::invalid_argument for an empty delimiter.
KQ_API std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter,
                                            bool skipEmpty);
// Words separated by single spaces; a word starting with '"' runs to the next '"'.
KQ_API std::vector<std::string> SplitCommandLine(const std::string& line);

namespace ByteOrder {
KQ_API unsigned short reorder16(unsigned short v);
KQ_API unsigned int reorder32(unsigned int v);
}  // namespace ByteOrder

}  // namespace kq
