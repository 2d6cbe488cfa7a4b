#include <kq/detail/SharedLibraryImpl.h>

#include <windows.h>

namespace kq {

SharedLibraryImpl::~SharedLibraryImpl()
{
    if (module_ != nullptr)
        ::FreeLibrary(static_cast<HMODULE>(module_));
}

bool SharedLibraryImpl::loadModule(const std::string& path, LoadError& error)
{
    module_ = ::LoadLibraryA(path.c_str());
    if (module_ == nullptr)
        error = static_cast<LoadError>(::GetLastError());
    return module_ != nullptr;
}

void* SharedLibraryImpl::findSymbol(const std::string& name) const
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module_), name.c_str()));
}

void changeCurrentDirectory(const std::string& directory)
{
    ::SetCurrentDirectoryA(directory.c_str());
}

}  // namespace kq
