#pragma once

#include <kq/export.h>

#include <memory>
#include <string>

namespace kq {

class SharedLibraryImpl;

// One dynamic library, loaded at most once and held until the object is destroyed.
//
// Windows: LoadLibraryA, GetProcAddress, FreeLibrary. A failed load throws
// std::runtime_error "::LoadLibrary( '<path>' ) failed: <GetLastError() in decimal>".
// Linux: dlopen(RTLD_NOW | RTLD_LOCAL), dlsym, dlclose. dlopen gives no error number, so a
// failed load throws "::dlopen( '<path>' ) failed: <dlerror() text>" instead. A path without a
// slash is searched as dlopen searches (LD_LIBRARY_PATH, the system folders), not in the
// current directory; write "./name" for that.
class KQ_API SharedLibrary {
public:
    // Holds no library.
    SharedLibrary();
    // load(path); throws as load does.
    explicit SharedLibrary(const std::string& path);
    // Makes directory the current directory of the whole process (the result of that change
    // is ignored and the previous directory is not restored), then load(path).
    SharedLibrary(const std::string& path, const std::string& directory);
    ~SharedLibrary();

    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Throws std::runtime_error "already loaded" when a library is held, or the load failure
    // described above; the object then still holds what it held before.
    void load(const std::string& path);
    // Loads path when nothing is held, without throwing. Whether a library is held afterwards:
    // true without loading anything when one was held already.
    bool tryLoad(const std::string& path);
    bool isLoaded() const;
    // The address of the exported entry point of exactly that name, to be cast by the caller
    // to its function type; null when the library has none, or when no library is held.
    void* getProc(const std::string& name) const;
    bool hasProc(const std::string& name) const;

private:
    std::unique_ptr<SharedLibraryImpl> impl_;
};

}  // namespace kq
