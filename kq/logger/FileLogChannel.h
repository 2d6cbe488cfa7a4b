#pragma once

#include <kq/export.h>
#include <kq/logger/Logger.h>

#include <memory>
#include <string>

namespace kq {
namespace logger {

class FileLogChannelImpl;

// Appends each formatted message to the file of the current local day in a directory:
// "YYYY-MM-DD.log", or "YYYY-MM-DD-name.log" when a name is given. Every message opens,
// appends and closes, so days roll over without state. A file found empty is started
// with the rolling header. A message that cannot be written is dropped silently.
class KQ_API FileLogChannel : public AbstractLogChannel {
public:
    // The one property understood: the bytes written at the start of every new file.
    static const std::string PropertyRollingHeader;

    FileLogChannel(const std::string& directory, const std::string& name);
    ~FileLogChannel() override;
    FileLogChannel(const FileLogChannel&) = delete;
    FileLogChannel& operator=(const FileLogChannel&) = delete;

    void write(const std::string& loggerName, const std::string& message) override;
    void setProperty(const std::string& key, const std::string& value) override;

private:
    std::unique_ptr<FileLogChannelImpl> impl_;
};

}  // namespace logger
}  // namespace kq
