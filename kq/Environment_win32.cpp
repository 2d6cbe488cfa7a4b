#include <kq/detail/EnvironmentVariable.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace kq {
namespace environment {
namespace detail {

bool read(const std::string& name, std::string& value)
{
    // The size the value needs with its terminating zero; 0 when the variable is not set.
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0) {
        return false;
    }
    // A value that changed between the two calls leaves the buffer as it was: zeros.
    std::vector<char> buffer(size, '\0');
    ::GetEnvironmentVariableA(name.c_str(), buffer.data(), size);
    value.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
    return true;
}

}  // namespace detail
}  // namespace environment
}  // namespace kq
