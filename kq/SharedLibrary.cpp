#include <kq/SharedLibrary.h>

#include <kq/detail/SharedLibraryImpl.h>
#include <kq/detail/SystemError.h>

#include <stdexcept>

namespace kq {

SharedLibrary::SharedLibrary() : impl_(new SharedLibraryImpl) {}

SharedLibrary::SharedLibrary(const std::string& path) : impl_(new SharedLibraryImpl)
{
    load(path);
}

SharedLibrary::SharedLibrary(const std::string& path, const std::string& directory)
    : impl_(new SharedLibraryImpl)
{
    changeCurrentDirectory(directory);
    load(path);
}

SharedLibrary::~SharedLibrary() = default;

void SharedLibrary::load(const std::string& path)
{
    if (impl_->isLoaded()) {
        throw std::runtime_error("already loaded");
    }
    std::string error;
    if (!impl_->loadModule(path, error)) {
        throw std::runtime_error(detail::callFailure(SharedLibraryImpl::loadCall, path, error));
    }
}

bool SharedLibrary::tryLoad(const std::string& path)
{
    std::string ignored;
    return impl_->isLoaded() || impl_->loadModule(path, ignored);
}

bool SharedLibrary::isLoaded() const
{
    return impl_->isLoaded();
}

void* SharedLibrary::getProc(const std::string& name) const
{
    return impl_->isLoaded() ? impl_->findSymbol(name) : nullptr;
}

bool SharedLibrary::hasProc(const std::string& name) const
{
    return getProc(name) != nullptr;
}

}  // namespace kq
