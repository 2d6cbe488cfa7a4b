#include <kq/logger/detail/FileLogChannelImpl.h>

#include <kq/StringUtils.h>

#include <windows.h>

namespace kq {
namespace logger {

namespace {

void writeBytes(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

std::string FileLogChannelImpl::path(const std::string& fileName) const
{
    return kq::format("%s\\%s", directory_.c_str(), fileName.c_str());
}

// Read sharing only: while one writer has the file open, another writer's open fails and
// that writer's message is dropped. Only a disk file is written: a pipe or device that
// the name leads to is left alone.
void FileLogChannelImpl::appendToFile(const std::string& header, const std::string& text)
{
    const HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return;
    }
    ::SetFilePointer(file, 0, nullptr, FILE_END);
    // Both halves of the size: a file of an exact multiple of 4 GiB is not empty.
    DWORD sizeHigh = 0;
    if (::GetFileSize(file, &sizeHigh) == 0 && sizeHigh == 0 && !header.empty()) {
        writeBytes(file, header);
    }
    writeBytes(file, text);
    ::CloseHandle(file);
}

}  // namespace logger
}  // namespace kq
