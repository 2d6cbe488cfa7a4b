#pragma once

#include <string>

#if !defined(_WIN32)
#  include <kq/ipc/detail/NamedObject.h>
#endif

namespace kq {
namespace ipc {

// The mapped block behind SharedMemory; SharedMemory_win32.cpp and
// SharedMemory_posix.cpp each define all of it.
class SharedMemoryImpl {
public:
    SharedMemoryImpl(const std::string& name, unsigned int size);
    ~SharedMemoryImpl();

    SharedMemoryImpl(const SharedMemoryImpl&) = delete;
    SharedMemoryImpl& operator=(const SharedMemoryImpl&) = delete;

    void* begin() const;
    unsigned int size() const { return size_; }
    bool isCreated() const;

private:
    unsigned int size_;
#if defined(_WIN32)
    void* handle_;  // HANDLE
    void* view_;
    bool created_;
#else
    detail::NamedObject object_;
#endif
};

}  // namespace ipc
}  // namespace kq
