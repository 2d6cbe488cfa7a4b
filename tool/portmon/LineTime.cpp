#include "LineTime.h"

#include <kq/StringUtils.h>

#include <cctype>

namespace quorvex {

namespace {

const long long microsPerSecond = 1000000;
const long long microsPerDay = 24LL * 3600 * microsPerSecond;

// Digits from at; -1 where there are none or too many to be a time.
long long digits(const std::string& text, std::size_t& at, std::size_t most)
{
    const std::size_t start = at;
    long long value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
           at - start < most) {
        value = value * 10 + (text[at++] - '0');
    }
    return at == start ? -1 : value;
}

// A fraction of a second after the '.', to microseconds; only digits may follow.
bool fraction(const std::string& text, std::size_t& at, long long& micros)
{
    micros = 0;
    long long scale = microsPerSecond;
    const std::size_t start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        scale /= 10;
        micros += (text[at++] - '0') * scale;
    }
    return at > start;
}

bool elapsed(const std::string& field, long long& micros)
{
    std::size_t at = 0;
    const long long seconds = digits(field, at, 9);
    long long part = 0;
    if (seconds < 0 || at >= field.size() || field[at] != '.' || !fraction(field, ++at, part)) {
        return false;
    }
    if (at != field.size()) {
        return false;
    }
    micros = seconds * microsPerSecond + part;
    return true;
}

// "H:MM:SS", "H:MM:SS.fff", each optionally followed by " AM" or " PM" (or by
// the next field being AM or PM).
bool clockTime(const std::string& field, const std::string& next, long long& micros)
{
    std::size_t at = 0;
    const long long h = digits(field, at, 2);
    if (h < 0 || h > 23 || at >= field.size() || field[at++] != ':') {
        return false;
    }
    const long long m = digits(field, at, 2);
    if (m < 0 || m > 59 || at >= field.size() || field[at++] != ':') {
        return false;
    }
    const long long s = digits(field, at, 2);
    long long part = 0;
    if (s < 0 || s > 59 ||
        (at < field.size() && field[at] == '.' && !fraction(field, ++at, part))) {
        return false;
    }
    std::string suffix = field.substr(at);
    if (suffix.empty()) {
        suffix = " " + next;  // read leniently, "9:41:07 PM" is two fields
    }
    const bool am = kq::icompare(suffix, " AM"), pm = kq::icompare(suffix, " PM");
    if (!am && !pm && at != field.size()) {
        return false;
    }
    if ((am || pm) && (h == 0 || h > 12)) {
        return false;
    }
    const long long hour = pm ? h % 12 + 12 : am ? h % 12 : h;
    micros = ((hour * 60 + m) * 60 + s) * microsPerSecond + part;
    return true;
}

}  // namespace

LineTime lineTimeOf(const std::vector<std::string>& fields)
{
    LineTime time;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string next = i + 1 < fields.size() ? fields[i + 1] : "";
        if (elapsed(fields[i], time.micros)) {
            time.form = TimeForm::Elapsed;
            return time;
        }
        if (clockTime(fields[i], next, time.micros)) {
            time.form = TimeForm::Clock;
            return time;
        }
    }
    return time;
}

std::chrono::microseconds recordedDelay(const PortMonAction& from, const PortMonAction& to,
                                        ElapsedReading elapsed)
{
    const TimeForm form = from.time.form;
    if (form == TimeForm::None || form != to.time.form) {
        return std::chrono::microseconds(-1);
    }
    long long micros = to.time.micros - from.time.micros;
    if (form == TimeForm::Clock && micros < 0) {
        micros += microsPerDay;  // past midnight
    } else if (form == TimeForm::Elapsed && elapsed == ElapsedReading::Durations) {
        micros = to.elapsedSum - from.elapsedSum;
    }
    return std::chrono::microseconds(micros < 0 ? -1 : micros);
}

}  // namespace quorvex
