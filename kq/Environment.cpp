#include <kq/Environment.h>

#include <kq/StringUtils.h>
#include <kq/detail/EnvironmentVariable.h>

#include <stdexcept>

namespace kq {
namespace environment {

std::string get(const std::string& name)
{
    std::string value;
    if (!detail::read(name, value)) {
        throw std::runtime_error(kq::format("not found '%s'", name.c_str()));
    }
    return value;
}

std::string get(const std::string& name, const std::string& defaultValue)
{
    std::string value;
    return detail::read(name, value) ? value : defaultValue;
}

bool has(const std::string& name)
{
    std::string ignored;
    return detail::read(name, ignored);
}

}  // namespace environment
}  // namespace kq
