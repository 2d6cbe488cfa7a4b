#include <kq/SharedLibrary.h>

#include <kq/StringUtils.h>
#include <kq/detail/SharedLibraryImpl.h>

#include <stdexcept>

namespace kq {

namespace {

std::string loadFailure(const std::string& path, const SharedLibraryImpl::LoadError& error)
{
#if defined(_WIN32)
    return kq::format("::LoadLibrary( '%s' ) failed: %d", path.c_str(), error);
#else
    return kq::format("::dlopen( '%s' ) failed: %s", path.c_str(), error.c_str());
#endif
}

}  // namespace

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
    if (impl_->isLoaded())
        throw std::runtime_error("already loaded");
    SharedLibraryImpl::LoadError error{};
    if (!impl_->loadModule(path, error))
        throw std::runtime_error(loadFailure(path, error));
}

bool SharedLibrary::tryLoad(const std::string& path)
{
    SharedLibraryImpl::LoadError ignored{};
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
