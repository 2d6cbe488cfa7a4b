#pragma once

#include <ctime>
#include <mutex>
#include <string>

namespace kq {
namespace logger {

class FileLogChannelImpl {
public:
    FileLogChannelImpl(const std::string& directory, const std::string& name);

    void setRollingHeader(const std::string& header);
    // Appends text to the file of the given local day under the file lock; the header goes
    // first into a new or empty file.
    void append(const std::tm& date, const std::string& text);

private:
    std::string fileName(const std::tm& date) const;
    std::string path(const std::string& fileName) const;
    // Appends to path_; drops the text silently when the file cannot be opened.
    void appendToFile(const std::string& header, const std::string& text);

    std::string directory_;
    std::string name_;
    std::string rollingHeader_;
    std::mutex fileLock_;
    // The file of the last message's day, built when the day changes. Under the file lock.
    int day_ = -1;
    std::string fileName_;
    std::string path_;
#if !defined(_WIN32)
    // The day whose file was last found to be a regular file, under the file lock.
    int regularDay_ = -1;
    void appendOpened(int fd, const std::string& header, const std::string& text);
    void appendChecked(int fd, const std::string& header, const std::string& text);
    bool startFile(const std::string& header, const std::string& text);
#endif
};

}  // namespace logger
}  // namespace kq
