#pragma once

#include <kq/win32/registry.h>

#include <string>

namespace kq {
namespace win32 {
namespace detail {

// The registry calls that registry makes, with the Windows registry interface's arguments and
// results: 0 on success, a Windows error code otherwise. RegistryStore_win32.cpp passes them to
// Windows; RegistryStore_posix.cpp keeps the keys in SQLite databases.

// What the calls need of the Windows numbers, spelled here so that no system header is needed.
constexpr unsigned long Wow64View = 0x0100;  // KEY_WOW64_64KEY
constexpr unsigned long TypeString = 1;      // REG_SZ
constexpr unsigned long TypeExpandString = 2;
constexpr unsigned long TypeDword = 4;

// RegOpenKeyExA: the key at name below root; key is set on success.
long openKey(HKEY root, const std::string& name, unsigned long access, HKEY& key);
// RegCreateKeyExA, non-volatile, no class, no security attributes, no disposition.
long createKey(HKEY root, const std::string& name, unsigned long access, HKEY& key);
void closeKey(HKEY key);
void flushKey(HKEY key);
// RegQueryValueExA: with data null only type and size are filled in; otherwise size is the
// buffer's size on the way in and the value's size on the way out.
long queryValue(HKEY key, const std::string& name, unsigned long& type, unsigned char* data,
                unsigned long& size);
long setValue(HKEY key, const std::string& name, unsigned long type, const unsigned char* data,
              unsigned long size);
long deleteValue(HKEY key, const std::string& name);

}  // namespace detail
}  // namespace win32
}  // namespace kq
