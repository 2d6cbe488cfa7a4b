#include <kq/detail/SystemError.h>
#include <kq/ipc/detail/NamedObject.h>

#include <kq/StringUtils.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace kq {
namespace ipc {
namespace detail {

using kq::detail::throwCallFailed;
using kq::detail::throwForeignOwner;
using kq::detail::throwKindMismatch;
using kq::detail::throwNameTooLong;
using kq::detail::throwSizeFailed;
using kq::detail::throwTooSmall;

namespace {

constexpr std::uint32_t Magic = 0x314F714B;  // "KqO1"
constexpr off_t PresenceByte = 0;
constexpr off_t GuardByte = 1;
// The payload starts on a page boundary of its own.
constexpr std::uint64_t PayloadOffset = 4096;
static_assert(sizeof(ObjectHeader) <= PayloadOffset, "the header fits before the payload");

// Any byte may appear in a name; a POSIX name cannot hold '/' or NUL.
std::string escaped(const std::string& name)
{
    std::string result;
    for (const char c : name) {
        if (c == '/' || c == '%' || c == '\0') {
            result +=
                kq::format("%%%02X", static_cast<unsigned int>(static_cast<unsigned char>(c)));
        } else {
            result += c;
        }
    }
    return result;
}

// One user's names never meet another user's.
std::string systemPath(const std::string& name)
{
    const std::string path =
        kq::format("/kq.%u.", static_cast<unsigned int>(::getuid())) + escaped(name);
    if (path.size() - 1 > NAME_MAX) {
        throwNameTooLong(name, NAME_MAX);
    }
    return path;
}

// An open-file-description lock on one byte; 0 or the errno.
int lockByte(int fd, int command, short type, off_t byte)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    while (::fcntl(fd, command, &range) != 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

const char* kindName(ObjectKind kind)
{
    switch (kind) {
        case ObjectKind::Mutex:
            return "a mutex";
        case ObjectKind::Event:
            return "an event";
        case ObjectKind::Memory:
            return "a shared memory block";
    }
    return "an unknown object";
}

// Like a Windows mutex: owned by a thread, recursive, handed on when its owner dies.
void initialiseMutex(pthread_mutex_t& mutex)
{
    pthread_mutexattr_t attributes;
    ::pthread_mutexattr_init(&attributes);
    ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    ::pthread_mutex_init(&mutex, &attributes);
    ::pthread_mutexattr_destroy(&attributes);
}

}  // namespace

NamedObject::NamedObject(const std::string& name, ObjectKind kind, std::uint64_t payloadSize)
    : name_(name), path_(systemPath(name))
{
    while (!openOnce(kind, payloadSize)) {
    }
}

NamedObject::~NamedObject()
{
    lockByte(fd_, F_OFD_SETLKW, F_WRLCK, GuardByte);
    struct stat file {};
    if (lockByte(fd_, F_OFD_SETLK, F_WRLCK, PresenceByte) == 0 && ::fstat(fd_, &file) == 0 &&
        file.st_nlink != 0) {
        ::shm_unlink(path_.c_str());
    }
    if (keepMapped_) {
        // The mapping keeps the open file description, and with it its locks, alive:
        // the guard must go now. The presence lock stays, so the object is never
        // made afresh under the mapping.
        lockByte(fd_, F_OFD_SETLK, F_UNLCK, GuardByte);
    } else {
        ::munmap(view_, viewSize_);
    }
    ::close(fd_);  // drops both locks unless the mapping still holds them
}

unsigned char* NamedObject::payload() const
{
    return static_cast<unsigned char*>(view_) + PayloadOffset;
}

// False when the name was removed between shm_open and the guard: open it anew.
bool NamedObject::openOnce(ObjectKind kind, std::uint64_t payloadSize)
{
    fd_ = ::shm_open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        throwCallFailed("shm_open", name_, errno);
    }
    try {
        // Checked before any wait: another user's file could hold the guard for ever.
        if (status().st_uid != ::geteuid()) {
            throwForeignOwner(name_);
        }
        if (const int error = lockByte(fd_, F_OFD_SETLKW, F_WRLCK, GuardByte)) {
            throwCallFailed("fcntl", name_, error);
        }
        if (status().st_nlink == 0) {
            ::close(fd_);
            return false;
        }
        // No other handle anywhere, or only dead ones: start afresh.
        created_ = lockByte(fd_, F_OFD_SETLK, F_WRLCK, PresenceByte) == 0;
        if (created_) {
            initialise(kind, payloadSize);
        } else {
            check(kind, payloadSize);
        }
        if (const int error = lockByte(fd_, F_OFD_SETLK, F_RDLCK, PresenceByte)) {
            throwCallFailed("fcntl", name_, error);
        }
        lockByte(fd_, F_OFD_SETLK, F_UNLCK, GuardByte);
        return true;
    } catch (...) {
        discard();
        throw;
    }
}

void NamedObject::initialise(ObjectKind kind, std::uint64_t payloadSize)
{
    // Truncating to 0 first zero-fills what killed holders left behind.
    if (::ftruncate(fd_, 0) != 0 ||
        ::ftruncate(fd_, static_cast<off_t>(PayloadOffset + payloadSize)) != 0) {
        throwSizeFailed("ftruncate", static_cast<unsigned long>(payloadSize), errno);
    }
    map(payloadSize);
    ObjectHeader& h = *new (view_) ObjectHeader{};
    h.kind = kind;
    h.payloadSize = payloadSize;
    if (kind == ObjectKind::Mutex) {
        initialiseMutex(h.mutex);
    }
    h.magic = Magic;
}

void NamedObject::check(ObjectKind kind, std::uint64_t payloadSize)
{
    const std::uint64_t fileSize = static_cast<std::uint64_t>(status().st_size);
    if (fileSize < sizeof(ObjectHeader)) {
        throwKindMismatch(name_, kindName(kind), kindName(ObjectKind{}));
    }
    // Never map past the end of the file: touching that would raise SIGBUS.
    const std::uint64_t available = fileSize < PayloadOffset ? 0 : fileSize - PayloadOffset;
    map(std::min(payloadSize, available));
    const ObjectHeader& h = header();
    if (h.magic != Magic || h.kind != kind) {
        throwKindMismatch(name_, kindName(kind),
                          kindName(h.magic == Magic ? h.kind : ObjectKind{}));
    }
    if (h.payloadSize < payloadSize || available < payloadSize) {
        throwTooSmall(name_, static_cast<unsigned long>(payloadSize),
                      static_cast<unsigned long>(std::min(h.payloadSize, available)));
    }
}

struct stat NamedObject::status() const
{
    struct stat result {};
    if (::fstat(fd_, &result) != 0) {
        throwCallFailed("fstat", name_, errno);
    }
    return result;
}

void NamedObject::map(std::uint64_t payloadSize)
{
    const std::size_t size = static_cast<std::size_t>(PayloadOffset + payloadSize);
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (view == MAP_FAILED) {
        throwSizeFailed("mmap", static_cast<unsigned long>(payloadSize), errno);
    }
    view_ = view;
    viewSize_ = size;
}

// Undoes a failed open; a creator is alone and takes the name with it.
void NamedObject::discard()
{
    if (created_) {
        ::shm_unlink(path_.c_str());
    }
    if (view_ != nullptr) {
        ::munmap(view_, viewSize_);
    }
    ::close(fd_);
}

}  // namespace detail
}  // namespace ipc
}  // namespace kq
