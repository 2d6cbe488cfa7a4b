#include <kq/logger/FileLogChannel.h>
#include <kq/logger/detail/FileLogChannelImpl.h>
#include <kq/logger/detail/LocalTime.h>

#include <kq/StringUtils.h>

namespace kq {
namespace logger {

const std::string FileLogChannel::PropertyRollingHeader = "rolling_header";

FileLogChannelImpl::FileLogChannelImpl(const std::string& directory, const std::string& name)
    : directory_(directory), name_(name)
{
}

std::string FileLogChannelImpl::fileName(const std::tm& date) const
{
    const int year = date.tm_year + 1900;
    const int month = date.tm_mon + 1;
    if (name_.empty()) {
        return kq::format("%04d-%02d-%02d.log", year, month, date.tm_mday);
    }
    return kq::format("%04d-%02d-%02d-%s.log", year, month, date.tm_mday, name_.c_str());
}

void FileLogChannelImpl::setRollingHeader(const std::string& header)
{
    std::lock_guard<std::mutex> guard(fileLock_);
    rollingHeader_ = header;
}

void FileLogChannelImpl::append(const std::tm& date, const std::string& text)
{
    std::lock_guard<std::mutex> guard(fileLock_);
    // Messages come many to a day: the name is built only for the first of each.
    const int day = (date.tm_year * 16 + date.tm_mon) * 32 + date.tm_mday;
    if (day != day_) {
        fileName_ = fileName(date);
        path_ = path(fileName_);
        day_ = day;
    }
    appendToFile(rollingHeader_, text);
}

FileLogChannel::FileLogChannel(const std::string& directory, const std::string& name)
    : impl_(std::make_unique<FileLogChannelImpl>(directory, name))
{
}

FileLogChannel::~FileLogChannel() = default;

void FileLogChannel::write(const std::string& loggerName, const std::string& message)
{
    if (!formatter_) {
        return;
    }
    // The day is fixed before formatting: a message that straddles midnight stays in the
    // file of the day it was logged on, whatever time stamp the formatter reads.
    const std::tm date = detail::localTime(std::time(nullptr));
    const std::string text = formatter_->format(loggerName, message);
    impl_->append(date, text);
}

void FileLogChannel::setProperty(const std::string& key, const std::string& value)
{
    if (key == PropertyRollingHeader) {
        impl_->setRollingHeader(value);
    }
}

}  // namespace logger
}  // namespace kq
