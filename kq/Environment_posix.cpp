#include <kq/detail/EnvironmentVariable.h>

#include <cstdlib>

namespace kq {
namespace environment {
namespace detail {

bool read(const std::string& name, std::string& value)
{
    const char* text = std::getenv(name.c_str());
    if (text == nullptr) {
        return false;
    }
    value = text;
    return true;
}

}  // namespace detail
}  // namespace environment
}  // namespace kq
