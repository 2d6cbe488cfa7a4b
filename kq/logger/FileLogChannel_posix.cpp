#include <kq/logger/detail/FileLogChannelImpl.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace kq {
namespace logger {

namespace {

void writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        done += static_cast<size_t>(written);
    }
}

bool lockExclusive(int fd)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// There is no share mode here. Every writer of a file, in this process or another,
// appends a message with one write on an O_APPEND descriptor, which the kernel keeps
// whole and never interleaves with another. Only the start of a file needs the writers to
// agree: one that finds the file empty takes the file's exclusive lock and looks again, so
// exactly one of them writes the header, and with its message, before any other message
// (a writer that saw the file non-empty never writes a header). Closing releases the lock.
bool startsFile(int fd)
{
    struct stat status;
    return lockExclusive(fd) && ::fstat(fd, &status) == 0 && status.st_size == 0;
}

}  // namespace

std::string FileLogChannelImpl::path(const std::string& fileName) const
{
    return directory_ + "/" + fileName;
}

// Only a regular file is written: the non-blocking open keeps a FIFO without a reader
// from holding the caller, and a FIFO or device that does open is left alone. A file
// status costs more than the rest of the append, so it is asked only of a path not yet
// known to be a regular file and of an empty file; the end of the file, which every
// append looks up, is refused by FIFOs, sockets and terminals and is 0 on the devices
// that accept it.
void FileLogChannelImpl::appendToFile(const std::string& path, const std::string& header,
                                      const std::string& text)
{
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        return;
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end > 0 && path == regularFile_) {
        writeAll(fd, text);
    } else if (end >= 0) {
        appendChecked(fd, path, header, text);
    }
    ::close(fd);
}

void FileLogChannelImpl::appendChecked(int fd, const std::string& path, const std::string& header,
                                       const std::string& text)
{
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return;
    }
    regularFile_ = path;
    if (status.st_size == 0 && startsFile(fd)) {
        writeAll(fd, header + text);
    } else {
        writeAll(fd, text);
    }
}

}  // namespace logger
}  // namespace kq
