#pragma once

#include <ctime>
#include <mutex>
#include <string>

namespace kq {
namespace logger {

class FileLogChannelImpl {
public:
    FileLogChannelImpl(const std::string& directory, const std::string& name);

    std::string fileName(const std::tm& date) const;
    void setRollingHeader(const std::string& header);
    // Appends text to the named file under the file lock; the header goes first into an
    // empty file.
    void append(const std::string& fileName, const std::string& text);

private:
    std::string path(const std::string& fileName) const;
    // Drops the text silently when the file cannot be opened.
    void appendToFile(const std::string& path, const std::string& header, const std::string& text);

    std::string directory_;
    std::string name_;
    std::string rollingHeader_;
    std::mutex fileLock_;
#if !defined(_WIN32)
    // The last path found to be a regular file, under the file lock.
    std::string regularFile_;
    void appendChecked(int fd, const std::string& path, const std::string& header,
                       const std::string& text);
#endif
};

}  // namespace logger
}  // namespace kq
