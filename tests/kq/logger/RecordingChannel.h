#pragma once

#include <kq/logger/Logger.h>

#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kqtest {

// Records every write as (logger name, text).
class RecordingChannel : public kq::logger::AbstractLogChannel {
public:
    void write(const std::string& loggerName, const std::string& message) override
    {
        std::lock_guard<std::mutex> guard(lock);
        writes.emplace_back(loggerName, message);
    }

    std::vector<std::pair<std::string, std::string>> writes;

private:
    std::mutex lock;
};

// Redirects std::clog into a string for its lifetime.
class ClogCapture {
public:
    ClogCapture() : saved(std::clog.rdbuf(buffer.rdbuf())) {}
    ~ClogCapture() { std::clog.rdbuf(saved); }
    ClogCapture(const ClogCapture&) = delete;
    ClogCapture& operator=(const ClogCapture&) = delete;

    std::string text() const { return buffer.str(); }

private:
    std::ostringstream buffer;
    std::streambuf* saved;
};

}  // namespace kqtest
