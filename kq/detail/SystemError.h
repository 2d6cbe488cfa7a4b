#pragma once

#include <string>

namespace kq {
namespace detail {

// Every failure text of the library's system calls, so that each module and both platforms
// word them alike: the system call's name stands where Windows names its function, errno
// where Windows gives GetLastError().

// "::<call>( '<name>' ) failed: <reason>"
std::string callFailure(const char* call, const std::string& name, const std::string& reason);
// "::<call>( '<name>' ) failed: <error>"
[[noreturn]] void throwCallFailed(const char* call, const std::string& name, unsigned long error);
// "::<call>() failed: <reason>", for the calls of a service that take no name.
[[noreturn]] void throwServiceCallFailed(const char* call, const std::string& reason);
// "::<call>( '<name>' ) failed. error = <error>", for the settings of an open device.
[[noreturn]] void throwDeviceCallFailed(const char* call, const std::string& name, long error);
// "can't open '<name>'. error = <error>"
[[noreturn]] void throwCantOpen(const std::string& name, unsigned long error);
// "::<call>( '<name>' ) failed. openError = <open>, createError = <create>"
[[noreturn]] void throwOpenFailed(const char* call, const std::string& name,
                                  unsigned long openError, unsigned long createError);
// "::<call>( size = <size> ) failed: <error>"
[[noreturn]] void throwSizeFailed(const char* call, unsigned long size, unsigned long error);
// The name is held by a named object of another kind.
[[noreturn]] void throwKindMismatch(const std::string& name, const char* kind, const char* found);
// The existing object holds fewer bytes than asked for.
[[noreturn]] void throwTooSmall(const std::string& name, unsigned long size,
                                unsigned long existing);
// The name cannot be turned into a system name.
[[noreturn]] void throwNameTooLong(const std::string& name, unsigned long limit);
// The name is held by an object of another user.
[[noreturn]] void throwForeignOwner(const std::string& name);

}  // namespace detail
}  // namespace kq
