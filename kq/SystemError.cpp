#include <kq/detail/SystemError.h>

#include <kq/StringUtils.h>

#include <stdexcept>

namespace kq {
namespace detail {

void throwOpenFailed(const char* call, const std::string& name, unsigned long openError,
                     unsigned long createError)
{
    throw std::runtime_error(kq::format("::%s( '%s' ) failed. openError = %lu, createError = %lu",
                                        call, name.c_str(), openError, createError));
}

std::string callFailure(const char* call, const std::string& name, const std::string& reason)
{
    return kq::format("::%s( '%s' ) failed: %s", call, name.c_str(), reason.c_str());
}

void throwCallFailed(const char* call, const std::string& name, unsigned long error)
{
    throw std::runtime_error(kq::format("::%s( '%s' ) failed: %lu", call, name.c_str(), error));
}

void throwServiceCallFailed(const char* call, const std::string& reason)
{
    throw std::runtime_error(kq::format("::%s() failed: %s", call, reason.c_str()));
}

void throwDeviceCallFailed(const char* call, const std::string& name, long error)
{
    throw std::runtime_error(
        kq::format("::%s( '%s' ) failed. error = %ld", call, name.c_str(), error));
}

void throwCantOpen(const std::string& name, unsigned long error)
{
    throw std::runtime_error(kq::format("can't open '%s'. error = %lu", name.c_str(), error));
}

void throwSizeFailed(const char* call, unsigned long size, unsigned long error)
{
    throw std::runtime_error(kq::format("::%s( size = %lu ) failed: %lu", call, size, error));
}

void throwKindMismatch(const std::string& name, const char* kind, const char* found)
{
    throw std::runtime_error(
        kq::format("can't open '%s' as %s: the name belongs to %s", name.c_str(), kind, found));
}

void throwTooSmall(const std::string& name, unsigned long size, unsigned long existing)
{
    throw std::runtime_error(
        kq::format("can't map %lu bytes of '%s': it holds only %lu", size, name.c_str(), existing));
}

void throwNameTooLong(const std::string& name, unsigned long limit)
{
    throw std::runtime_error(kq::format(
        "the name '%s' is too long: its system name would pass %lu bytes", name.c_str(), limit));
}

void throwForeignOwner(const std::string& name)
{
    throw std::runtime_error(
        kq::format("can't open '%s': the name is held by another user", name.c_str()));
}

}  // namespace detail
}  // namespace kq
