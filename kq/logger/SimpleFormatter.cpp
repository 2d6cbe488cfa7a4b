#include <kq/logger/SimpleFormatter.h>
#include <kq/logger/detail/LocalTime.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ratio>

namespace kq {
namespace logger {

namespace {

using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;

const size_t NameWidth = 16;
const std::string ContinuationIndent(32, ' ');

std::int64_t ticksSince1970()
{
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// "HH:MM:SS.mmm ", as "%02d:%02d:%02d.%03d " gives it: every field is in range.
void appendClock(std::string& out, const detail::LocalClock& clock)
{
    const int h = clock.local.tm_hour;
    const int m = clock.local.tm_min;
    const int s = clock.local.tm_sec;
    const int ms = clock.milliseconds;
    const char text[] = {char('0' + h / 10),
                         char('0' + h % 10),
                         ':',
                         char('0' + m / 10),
                         char('0' + m % 10),
                         ':',
                         char('0' + s / 10),
                         char('0' + s % 10),
                         '.',
                         char('0' + ms / 100),
                         char('0' + ms / 10 % 10),
                         char('0' + ms % 10),
                         ' '};
    out.append(text, sizeof text);
}

}  // namespace

SimpleFormatter::SimpleFormatter() = default;
SimpleFormatter::SimpleFormatter(const SimpleFormatter& other) = default;
SimpleFormatter::SimpleFormatter(SimpleFormatter&& other) noexcept = default;
SimpleFormatter& SimpleFormatter::operator=(const SimpleFormatter& other) = default;
SimpleFormatter& SimpleFormatter::operator=(SimpleFormatter&& other) noexcept = default;
SimpleFormatter::~SimpleFormatter() = default;

std::string SimpleFormatter::format(const std::string& loggerName, const std::string& message)
{
    // One clock reading gives both the time of day and its milliseconds.
    const detail::LocalClock clock = detail::localClock(ticksSince1970());

    // The name is a C string, as "%-16s" takes it; the message is appended as it stands,
    // so that zero bytes in it survive.
    const char* name = loggerName.c_str();
    const size_t nameLength = std::strlen(name);
    std::string result;
    result.reserve(16 + std::max(nameLength, NameWidth) + message.size() + 1 +
                   ContinuationIndent.size());
    appendClock(result, clock);
    result += '[';
    result.append(name, nameLength);
    if (nameLength < NameWidth) {
        result.append(NameWidth - nameLength, ' ');
    }
    result += "] ";
    // Every line ends with a line feed; each line after the first starts with the indent.
    size_t start = 0;
    for (size_t end; (end = message.find('\n', start)) != std::string::npos; start = end + 1) {
        result.append(message, start, end + 1 - start);
        result += ContinuationIndent;
    }
    result.append(message, start, std::string::npos);
    result += '\n';
    return result;
}

}  // namespace logger
}  // namespace kq
