#pragma once

#include <kq/export.h>

#include <memory>
#include <string>

namespace kq {
namespace ipc {

class SharedMemoryImpl;

// A named block of memory shared by the processes of one log-on session
// ("Local\<name>"). The block lives while any process holds it; the first holder
// creates it zero-filled, and it is gone with the last holder.
class KQ_API SharedMemory {
public:
    // Creates or opens the block and maps size bytes of it; throws std::runtime_error
    // on failure, also when an existing block holds fewer bytes.
    SharedMemory(const std::string& name, unsigned int size);
    ~SharedMemory();

    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    void* begin() const;
    // begin() plus the size given to the constructor.
    void* end() const;
    // True when this object created the block, false when it opened an existing one.
    bool isCreated() const;

private:
    std::unique_ptr<SharedMemoryImpl> impl_;
};

}  // namespace ipc
}  // namespace kq
