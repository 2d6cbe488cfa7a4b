#include <kq/logger/detail/FileLogChannelImpl.h>

#include <kq/StringUtils.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>

namespace kq {
namespace logger {

namespace {

const int AppendFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK;

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
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
// agree. A new file appears with its header and first message already in it (see
// startFile). A file found empty all the same (emptied by someone else, or made where
// links are refused) is decided under the file's exclusive lock: the writer that finds it
// empty takes the lock and looks again, so exactly one of them writes the header, and with
// its message, before any other message. Closing releases the lock.
bool startsFile(int fd)
{
    struct stat status;
    return lockExclusive(fd) && ::fstat(fd, &status) == 0 && status.st_size == 0;
}

// Over NFS a link that was made can still report a failure; the temporary's count of
// names tells whether it was.
bool linkInto(const std::string& temporary, const std::string& target)
{
    struct stat status;
    return ::link(temporary.c_str(), target.c_str()) == 0 ||
           (::stat(temporary.c_str(), &status) == 0 && status.st_nlink == 2);
}

// Tells apart the files that this process's writers start, whichever channel they use.
std::atomic<unsigned> startedFiles{0};

}  // namespace

std::string FileLogChannelImpl::path(const std::string& fileName) const
{
    return directory_ + "/" + fileName;
}

// The usual message costs an open, a seek, a write and a close. Only a file that does not
// exist yet, or that is found empty, costs more.
void FileLogChannelImpl::appendToFile(const std::string& header, const std::string& text)
{
    const int fd = ::open(path_.c_str(), AppendFlags);
    if (fd >= 0) {
        appendOpened(fd, header, text);
        return;
    }
    if (errno != ENOENT || startFile(header, text)) {
        return;
    }
    const int created = ::open(path_.c_str(), AppendFlags | O_CREAT, 0644);
    if (created >= 0) {
        appendOpened(created, header, text);
    }
}

// Only a regular file is written: the non-blocking open keeps a FIFO without a reader
// from holding the caller, and a FIFO or device that does open is left alone. A file
// status costs more than the rest of the append, so it is asked only of a day's file not
// yet known to be a regular file and of an empty file; the end of the file, which every
// append looks up, is refused by FIFOs, sockets and terminals and is 0 on the devices
// that accept it.
void FileLogChannelImpl::appendOpened(int fd, const std::string& header, const std::string& text)
{
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end > 0 && regularDay_ == day_) {
        writeAll(fd, text);
    } else if (end >= 0) {
        appendChecked(fd, header, text);
    }
    ::close(fd);
}

void FileLogChannelImpl::appendChecked(int fd, const std::string& header, const std::string& text)
{
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return;
    }
    regularDay_ = day_;
    if (status.st_size == 0 && startsFile(fd)) {
        writeAll(fd, header + text);
    } else {
        writeAll(fd, text);
    }
}

// A missing file is made whole under a name of this writer's own and linked into place,
// which fails if another writer's file got there first; no writer ever sees it empty.
// False when the message is still to be appended: the race was lost, or the file system
// refuses links or the temporary name.
bool FileLogChannelImpl::startFile(const std::string& header, const std::string& text)
{
    const std::string temporary = kq::format("%s/.%s.%ld.%u", directory_.c_str(), fileName_.c_str(),
                                             static_cast<long>(::getpid()), startedFiles++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, header + text);
    ::close(fd);
    const bool linked = written && linkInto(temporary, path_);
    ::unlink(temporary.c_str());
    if (linked) {
        regularDay_ = day_;
    }
    return linked;
}

}  // namespace logger
}  // namespace kq
