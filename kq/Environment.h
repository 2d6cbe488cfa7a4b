#pragma once

#include <kq/export.h>

#include <string>

namespace kq {

// The process's environment variables as narrow strings.
//
// Windows reads them with GetEnvironmentVariableA. Linux reads them with getenv, which is not
// safe against a concurrent setenv or putenv in another thread; a variable set to the empty
// string exists there (has() is true, get() returns "").
namespace environment {

// The value of name; throws std::runtime_error "not found '<name>'" when it is not set.
KQ_API std::string get(const std::string& name);
// The value of name, or defaultValue when it is not set.
KQ_API std::string get(const std::string& name, const std::string& defaultValue);
KQ_API bool has(const std::string& name);

}  // namespace environment
}  // namespace kq
