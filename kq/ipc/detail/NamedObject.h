#pragma once

#include <pthread.h>
#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kq {
namespace ipc {
namespace detail {

enum class ObjectKind : std::uint32_t { Mutex = 1, Event = 2, Memory = 3 };

// The start of every named object's file; the creator fills it in before any
// other process can see the object.
struct ObjectHeader {
    std::uint32_t magic;
    ObjectKind kind;
    std::uint64_t payloadSize;
    pthread_mutex_t mutex;             // robust, recursive, process-shared (kind Mutex)
    std::atomic<std::uint32_t> event;  // 1 while set; a shared futex word (kind Event)
    // Waiters that may be asleep on the event word; a waiter killed asleep stays
    // counted, which costs only needless wake-ups (kind Event).
    std::atomic<std::uint32_t> sleepers;
};

// One handle to a named object in POSIX shared memory: the file
// "/kq.<uid>.<escaped name>", a header, then payloadSize bytes from a page
// boundary. The object lives while any handle to it exists in any process.
//
// Lifetime rests on open-file-description locks on the file: every handle holds
// a read lock on byte 0, and byte 1 guards opening and closing. An opener that
// can write-lock byte 0 is alone, so it (re)creates the object fresh, zero-filled
// - also over a file left behind by killed holders; a closer that can write-lock
// byte 0 is the last handle and removes the name.
class NamedObject {
public:
    // name is the full object name ("Local\..."); payloadSize the bytes wanted
    // after the header. Throws std::runtime_error.
    NamedObject(const std::string& name, ObjectKind kind, std::uint64_t payloadSize);
    ~NamedObject();

    NamedObject(const NamedObject&) = delete;
    NamedObject& operator=(const NamedObject&) = delete;

    bool created() const { return created_; }
    ObjectHeader& header() const { return *static_cast<ObjectHeader*>(view_); }
    unsigned char* payload() const;
    // Leaves the mapping in place when the handle closes.
    void keepMapped() { keepMapped_ = true; }

private:
    bool openOnce(ObjectKind kind, std::uint64_t payloadSize);
    void initialise(ObjectKind kind, std::uint64_t payloadSize);
    void check(ObjectKind kind, std::uint64_t payloadSize);
    struct stat status() const;
    void map(std::uint64_t payloadSize);
    void discard();

    std::string name_;
    std::string path_;
    int fd_ = -1;
    void* view_ = nullptr;
    std::size_t viewSize_ = 0;
    bool created_ = false;
    bool keepMapped_ = false;
};

}  // namespace detail
}  // namespace ipc
}  // namespace kq
