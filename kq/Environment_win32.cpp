#include <kq/detail/EnvironmentVariable.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace kq {
namespace environment {
namespace detail {

namespace {

// The size the value needs with its terminating zero; 0 when the variable is not set.
DWORD requiredSize(const std::string& name)
{
    return ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
}

}  // namespace

bool read(const std::string& name, std::string& value)
{
    const DWORD size = requiredSize(name);
    if (size == 0)
        return false;
    // A value that changed between the two calls leaves the buffer as it was: zeros.
    std::vector<char> buffer(size, '\0');
    ::GetEnvironmentVariableA(name.c_str(), buffer.data(), size);
    value.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
    return true;
}

bool exists(const std::string& name)
{
    return requiredSize(name) > 0;
}

}  // namespace detail
}  // namespace environment
}  // namespace kq
