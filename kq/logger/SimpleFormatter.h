#pragma once

#include <kq/export.h>
#include <kq/logger/Logger.h>

#include <string>

namespace kq {
namespace logger {

// One time-stamped line per message:
//   "HH:MM:SS.mmm [name            ] first line\n"
// and every further line of the message indented by 32 blanks, so that it lines up
// under the first line's text when the name fits its 16-character column.
// Keeps no state; safe to use from several threads at once.
class KQ_API SimpleFormatter : public IMessageFormatter {
public:
    SimpleFormatter();
    SimpleFormatter(const SimpleFormatter& other);
    SimpleFormatter(SimpleFormatter&& other) noexcept;
    SimpleFormatter& operator=(const SimpleFormatter& other);
    SimpleFormatter& operator=(SimpleFormatter&& other) noexcept;
    ~SimpleFormatter() override;

    std::string format(const std::string& loggerName, const std::string& message) override;
};

}  // namespace logger
}  // namespace kq
