#include <kq/StringUtils.h>

#include <cstdarg>
#include <cstdio>

namespace kq {

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list measure;
    va_copy(measure, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    std::string result;
    if (n > 0) {
        result.resize(static_cast<size_t>(n) + 1);
        const int written = std::vsnprintf(&result[0], result.size(), fmt, args);
        result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    }
    va_end(args);
    return result;
}

}  // namespace kq
