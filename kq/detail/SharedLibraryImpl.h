#pragma once

#include <string>

namespace kq {

// The module held by a SharedLibrary. The load decisions live in SharedLibrary.cpp; the
// members marked "per platform" in SharedLibrary_posix.cpp and SharedLibrary_win32.cpp.
class SharedLibraryImpl {
public:
    // Per platform: the system call that loads, as failure texts name it.
    static const char* const loadCall;

    SharedLibraryImpl() = default;
    // Per platform: releases the module, if one is held.
    ~SharedLibraryImpl();

    SharedLibraryImpl(const SharedLibraryImpl&) = delete;
    SharedLibraryImpl& operator=(const SharedLibraryImpl&) = delete;

    bool isLoaded() const { return module_ != nullptr; }

    // Per platform. Loads path into the empty object; false with the system's reason
    // otherwise (dlerror()'s text, or GetLastError() in decimal).
    bool loadModule(const std::string& path, std::string& error);
    // Per platform. The entry point's address; only called while a module is held.
    void* findSymbol(const std::string& name) const;

private:
    void* module_ = nullptr;
};

// Per platform: makes directory the process's current directory, ignoring the result.
void changeCurrentDirectory(const std::string& directory);

}  // namespace kq
