#include <kq/StringUtils.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace kq {

namespace {

// The character functions take an int that must be representable as unsigned char;
// bytes above 0x7F in a plain char would be negative.
char lowerByte(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

char upperByte(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

std::string format(const char* fmt, ...)
{
    // Almost every text fits here: one formatting pass, then one copy into the result.
    char buffer[4096];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(buffer, sizeof buffer, fmt, args);
    std::string result;
    if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
        result.assign(buffer, static_cast<size_t>(n));
    } else if (n > 0) {
        // Longer texts are formatted again, straight into the result.
        result.resize(static_cast<size_t>(n));
        const int written = std::vsnprintf(&result[0], result.size() + 1, fmt, again);
        result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    }
    va_end(again);
    va_end(args);
    return result;
}

bool compare(const std::string& a, const std::string& b)
{
    return a == b;
}

bool icompare(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerByte(a[i]) != lowerByte(b[i])) {
            return false;
        }
    }
    return true;
}

std::string toLower(const std::string& s)
{
    std::string result(s);
    return toLowerInPlace(result);
}

std::string& toLowerInPlace(std::string& s)
{
    for (char& c : s) {
        c = lowerByte(c);
    }
    return s;
}

std::string toUpper(const std::string& s)
{
    std::string result(s);
    return toUpperInPlace(result);
}

std::string& toUpperInPlace(std::string& s)
{
    for (char& c : s) {
        c = upperByte(c);
    }
    return s;
}

std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter,
                                     bool skipEmpty)
{
    // An empty delimiter matches at the same place forever.
    if (delimiter.empty()) {
        throw std::invalid_argument("SplitString: empty delimiter");
    }
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(delimiter, start);
        const size_t end = found == std::string::npos ? text.size() : found;
        if (end > start || !skipEmpty) {
            pieces.push_back(text.substr(start, end - start));
        }
        if (found == std::string::npos) {
            return pieces;
        }
        start = found + delimiter.size();
    }
}

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    size_t p = 0;
    while (p < line.size()) {
        const bool quoted = line[p] == '"';
        const char terminator = quoted ? '"' : ' ';
        const size_t start = quoted ? p + 1 : p;
        const size_t end = line.find(terminator, start);
        if (end == std::string::npos) {
            // An unterminated quoted word keeps its opening quote.
            words.push_back(line.substr(p));
            return words;
        }
        words.push_back(line.substr(start, end - start));
        p = end + 1;
    }
    return words;
}

namespace ByteOrder {

unsigned short reorder16(unsigned short v)
{
    return static_cast<unsigned short>((v << 8) | (v >> 8));
}

unsigned int reorder32(unsigned int v)
{
    return (v << 24) | ((v << 8) & 0x00FF0000u) | ((v >> 8) & 0x0000FF00u) | (v >> 24);
}

}  // namespace ByteOrder

}  // namespace kq
