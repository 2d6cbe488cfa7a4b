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
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
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

}  // namespace

std::string FileLogChannelImpl::path(const std::string& fileName) const
{
    return directory_ + "/" + fileName;
}

// There is no share mode here. The exclusive advisory lock makes the header decision and
// the append one unit for every writer of the file, in this process or another, so that
// neither headers are doubled nor messages interleaved. Closing releases the lock.
// Only a regular file is written: the non-blocking open keeps a FIFO without a reader
// from holding the caller, and a FIFO or device that does open is left alone.
void FileLogChannelImpl::appendToFile(const std::string& path, const std::string& header,
                                      const std::string& text)
{
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return;
    struct stat status;
    if (lockExclusive(fd) && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        if (status.st_size == 0)
            writeAll(fd, header);
        writeAll(fd, text);
    }
    ::close(fd);
}

}  // namespace logger
}  // namespace kq
