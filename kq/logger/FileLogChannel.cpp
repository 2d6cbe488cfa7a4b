#include <kq/logger/FileLogChannel.h>
#include <kq/logger/FileLogChannelImpl.h>
#include <kq/logger/detail/LocalTime.h>

#include <kq/StringUtils.h>

namespace kq {
namespace logger {

const std::string FileLogChannel::PropertyRollingHeader = "rolling_header";

FileLogChannelImpl::FileLogChannelImpl(const std::string& directory, const std::string& name)
    : directory(directory), name(name)
{
}

std::string FileLogChannelImpl::fileName(const std::tm& date) const
{
    const int year = date.tm_year + 1900;
    const int month = date.tm_mon + 1;
    if (name.empty())
        return kq::format("%04d-%02d-%02d.log", year, month, date.tm_mday);
    return kq::format("%04d-%02d-%02d-%s.log", year, month, date.tm_mday, name.c_str());
}

void FileLogChannelImpl::setRollingHeader(const std::string& header)
{
    std::lock_guard<std::mutex> guard(fileLock);
    rollingHeader = header;
}

void FileLogChannelImpl::append(const std::string& fileName, const std::string& text)
{
    std::lock_guard<std::mutex> guard(fileLock);
    appendToFile(path(fileName), rollingHeader, text);
}

FileLogChannel::FileLogChannel(const std::string& directory, const std::string& name)
    : impl(new FileLogChannelImpl(directory, name))
{
}

FileLogChannel::~FileLogChannel()
{
    delete impl;
}

void FileLogChannel::write(const std::string& loggerName, const std::string& message)
{
    if (!formatter)
        return;
    // The day is fixed before formatting: a message that straddles midnight stays in the
    // file of the day it was logged on, whatever time stamp the formatter reads.
    const std::string fileName = impl->fileName(detail::localTime(std::time(nullptr)));
    const std::string text = formatter->format(loggerName, message);
    impl->append(fileName, text);
}

void FileLogChannel::setProperty(const std::string& key, const std::string& value)
{
    if (key == PropertyRollingHeader)
        impl->setRollingHeader(value);
}

}  // namespace logger
}  // namespace kq
