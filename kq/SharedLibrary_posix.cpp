#include <kq/detail/SharedLibraryImpl.h>

#include <dlfcn.h>
#include <unistd.h>

namespace kq {

const char* const SharedLibraryImpl::loadCall = "dlopen";

SharedLibraryImpl::~SharedLibraryImpl()
{
    if (module_ != nullptr) {
        ::dlclose(module_);
    }
}

bool SharedLibraryImpl::loadModule(const std::string& path, std::string& error)
{
    // dlopen("") would hand out the program itself, which is no library the caller named.
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    module_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : "";
    }
    return module_ != nullptr;
}

void* SharedLibraryImpl::findSymbol(const std::string& name) const
{
    return ::dlsym(module_, name.c_str());
}

void changeCurrentDirectory(const std::string& directory)
{
    if (::chdir(directory.c_str()) != 0) {
        // Ignored, as on Windows: the load that follows reports what matters.
    }
}

}  // namespace kq
