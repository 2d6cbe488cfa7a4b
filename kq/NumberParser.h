#pragma once

#include <kq/export.h>

#include <string>

// Whole-text conversion of strings to numbers and booleans.
//
// Parse forms throw: std::logic_error "NumebrParser - bad format" or std::range_error
// "NumberParser - out of range" for the integers and bool, std::runtime_error with the
// same texts for the floating-point forms. Try forms return false instead; only
// tryParseLongLong and tryParseULongLong store a value on failure (the routine's result).
//
// Ranges are those of 32-bit Windows on every platform: int and long hold
// -2147483648..2147483647, unsigned int and unsigned long 0..4294967295.
namespace kq {
namespace NumberParser {

KQ_API signed char parseInt8(const std::string& text);
KQ_API bool tryParseInt8(const std::string& text, signed char& value);

KQ_API short parseInt16(const std::string& text);
KQ_API short parseShort(const std::string& text);
KQ_API bool tryParseInt16(const std::string& text, short& value);
KQ_API bool tryParseShort(const std::string& text, short& value);

KQ_API int parseInt32(const std::string& text);
KQ_API int parseInt(const std::string& text);
KQ_API long parseLong(const std::string& text);
KQ_API bool tryParseInt32(const std::string& text, int& value);
KQ_API bool tryParseInt(const std::string& text, int& value);
KQ_API bool tryParseLong(const std::string& text, long& value);

KQ_API unsigned char parseUInt8(const std::string& text);
KQ_API bool tryParseUInt8(const std::string& text, unsigned char& value);

// parseUShort returns the 16 bits of parseUInt16 read as signed: "65535" gives -1.
KQ_API unsigned short parseUInt16(const std::string& text);
KQ_API short parseUShort(const std::string& text);
KQ_API bool tryParseUInt16(const std::string& text, unsigned short& value);
KQ_API bool tryParseUShort(const std::string& text, unsigned short& value);

// parseUInt and parseULong return the 32 bits of parseUInt32 read as signed.
// "-1" is accepted as 4294967295, as the standard routine negates in unsigned arithmetic.
KQ_API unsigned int parseUInt32(const std::string& text);
KQ_API int parseUInt(const std::string& text);
KQ_API long parseULong(const std::string& text);
KQ_API bool tryParseUInt32(const std::string& text, unsigned int& value);
KQ_API bool tryParseUInt(const std::string& text, unsigned int& value);
KQ_API bool tryParseULong(const std::string& text, unsigned long& value);

// Base 16 takes an optional "0x" or "0X".
KQ_API unsigned long parseHex(const std::string& text);
KQ_API bool tryParseHex(const std::string& text, unsigned long& value);
KQ_API unsigned long parseOct(const std::string& text);
KQ_API bool tryParseOct(const std::string& text, unsigned long& value);

KQ_API long long parseLongLong(const std::string& text);
KQ_API long long parseInt64(const std::string& text);
KQ_API bool tryParseLongLong(const std::string& text, long long& value);
KQ_API bool tryParseInt64(const std::string& text, long long& value);

KQ_API unsigned long long parseULongLong(const std::string& text);
KQ_API unsigned long long parseUInt64(const std::string& text);
KQ_API bool tryParseULongLong(const std::string& text, unsigned long long& value);
KQ_API bool tryParseUInt64(const std::string& text, unsigned long long& value);

KQ_API float parseFloat(const std::string& text);
KQ_API bool tryParseFloat(const std::string& text, float& value);
KQ_API double parseDouble(const std::string& text);
KQ_API bool tryParseDouble(const std::string& text, double& value);
KQ_API long double parseLongDouble(const std::string& text);
KQ_API bool tryParseLongDouble(const std::string& text, long double& value);

// A decimal 32-bit integer (non-zero is true), else true/yes/on or false/no/off in any case.
KQ_API bool parseBool(const std::string& text);
KQ_API bool tryParseBool(const std::string& text, bool& value);

}  // namespace NumberParser
}  // namespace kq
