#include <kq/detail/SharedLibraryImpl.h>

#include <windows.h>

#include <string>

namespace kq {

const char* const SharedLibraryImpl::loadCall = "LoadLibrary";

SharedLibraryImpl::~SharedLibraryImpl()
{
    if (module_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(module_));
    }
}

bool SharedLibraryImpl::loadModule(const std::string& path, std::string& error)
{
    module_ = ::LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        error = std::to_string(static_cast<int>(::GetLastError()));
    }
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
