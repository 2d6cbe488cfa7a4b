#pragma once

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/Logger.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kqtest {

// Records every write as (logger name, text).
struct RecordingChannel : kq::logger::AbstractLogChannel {
    void write(const std::string& loggerName, const std::string& message) override
    {
        std::lock_guard<std::mutex> guard(lock);
        writes.emplace_back(loggerName, message);
    }
    std::vector<std::pair<std::string, std::string>> writes;
    std::mutex lock;
};

// The channel, given the console layout ("message\n").
template <typename Channel>
std::shared_ptr<Channel> formatted(std::shared_ptr<Channel> channel)
{
    channel->setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    return channel;
}

// Lays a message out with a function of the message alone.
struct FunctionFormatter : kq::logger::IMessageFormatter {
    explicit FunctionFormatter(std::function<std::string(const std::string&)> lay) : lay(lay) {}
    std::string format(const std::string&, const std::string& m) override { return lay(m); }
    std::function<std::string(const std::string&)> lay;
};

// Redirects std::clog into a string for its lifetime.
class ClogCapture {
public:
    ClogCapture() : saved_(std::clog.rdbuf(buffer_.rdbuf())) {}
    ~ClogCapture() { std::clog.rdbuf(saved_); }
    ClogCapture(const ClogCapture&) = delete;
    ClogCapture& operator=(const ClogCapture&) = delete;
    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;
    std::streambuf* saved_;
};

// Every file of a folder by name, with its bytes.
inline std::map<std::string, std::string> readFiles(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream stream(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    return files;
}

// Message i of a concurrent writer: long enough that a torn or mixed write shows.
inline std::string writerMessage(const std::string& writer, int i)
{
    return writer + ":" + std::to_string(i) + ":" + std::string(300, 'p');
}

// Lines of text that are missing, repeated or foreign, compared with one line for every
// writerMessage of the writers, count messages each, in any order.
inline std::vector<std::string> unevenLines(const std::string& text,
                                            const std::vector<std::string>& writers, int count)
{
    std::vector<std::string> expected, actual, uneven;
    for (const auto& writer : writers) {
        for (int i = 0; i < count; ++i) {
            expected.push_back(writerMessage(writer, i));
        }
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        actual.push_back(line);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    std::set_symmetric_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                                  std::back_inserter(uneven));
    return uneven;
}

// Sets TZ for this process for its lifetime, then restores the previous value.
// tz is a POSIX-style zone such as "XXX-14" (14 hours east of UTC).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& tz)
    {
        if (const char* value = std::getenv("TZ")) {
            previous_ = value;
        }
        set(tz);
    }
    ~ScopedTimeZone() { previous_ ? set(*previous_) : unset(); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    static void set(const std::string& tz);
    // Changes the variable alone, without telling the C library (no tzset).
    static void setVariable(const std::string& tz);

private:
    static void unset();
    std::optional<std::string> previous_;
};

// The calendar date of UTC shifted by offsetSeconds, as "YYYY-MM-DD".
inline std::string dateAtOffset(std::time_t utc, long offsetSeconds)
{
    const std::time_t shifted = utc + offsetSeconds;
    // Tests run single-threaded here, so the shared gmtime buffer is safe.
    const std::tm* date = std::gmtime(&shifted);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->tm_year + 1900, date->tm_mon + 1,
                  date->tm_mday);
    return text;
}

// The hour of UTC shifted by offsetSeconds, as "HH".
inline std::string hourAtOffset(std::time_t utc, long offsetSeconds)
{
    const std::time_t shifted = utc + offsetSeconds;
    char text[16];
    std::snprintf(text, sizeof text, "%02d", std::gmtime(&shifted)->tm_hour);
    return text;
}

}  // namespace kqtest
