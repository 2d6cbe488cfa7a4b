#pragma once

#include <kq/export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

// The registry handle type, declared as the Windows headers declare it, so that windows.h may be
// included before or after this header.
#if defined(_WIN32)
#  if defined(NO_STRICT)
typedef void* HKEY;
#  else
struct HKEY__;
typedef struct HKEY__* HKEY;
#  endif
#endif

namespace kq {
namespace win32 {

#if defined(_WIN32)
using ::HKEY;
#else
// Linux keeps the names and numbers of the Windows registry interface in this namespace: write
// the roots and masks unqualified (after `using namespace kq::win32;`) and the same code builds
// against windows.h, where they are macros.
struct HKEY__;
typedef HKEY__* HKEY;

namespace detail {
// A predefined root as Windows writes it: the 32-bit number sign-extended to a pointer.
inline HKEY predefinedKey(std::uint32_t number)
{
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(number)));
}
}  // namespace detail

inline const HKEY HKEY_CLASSES_ROOT = detail::predefinedKey(0x80000000);
inline const HKEY HKEY_CURRENT_USER = detail::predefinedKey(0x80000001);
inline const HKEY HKEY_LOCAL_MACHINE = detail::predefinedKey(0x80000002);
inline const HKEY HKEY_USERS = detail::predefinedKey(0x80000003);
inline const HKEY HKEY_PERFORMANCE_DATA = detail::predefinedKey(0x80000004);
inline const HKEY HKEY_CURRENT_CONFIG = detail::predefinedKey(0x80000005);

constexpr unsigned long KEY_QUERY_VALUE = 0x0001;
constexpr unsigned long KEY_SET_VALUE = 0x0002;
constexpr unsigned long KEY_CREATE_SUB_KEY = 0x0004;
constexpr unsigned long KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr unsigned long KEY_NOTIFY = 0x0010;
constexpr unsigned long KEY_CREATE_LINK = 0x0020;
constexpr unsigned long KEY_WOW64_64KEY = 0x0100;
constexpr unsigned long KEY_WOW64_32KEY = 0x0200;
constexpr unsigned long KEY_READ = 0x20019;
constexpr unsigned long KEY_WRITE = 0x20006;
constexpr unsigned long KEY_EXECUTE = 0x20019;
constexpr unsigned long KEY_ALL_ACCESS = 0xF003F;

constexpr unsigned long REG_NONE = 0;
constexpr unsigned long REG_SZ = 1;
constexpr unsigned long REG_EXPAND_SZ = 2;
constexpr unsigned long REG_BINARY = 3;
constexpr unsigned long REG_DWORD = 4;
#endif

// One registry key: a root key, an optional base path put in front of every name opened below
// it, and the key opened last. Failures are reported by results and defaults, never thrown.
//
// Under WOW64 every key is opened in the 64-bit view.
//
// Copies share the open key; it is closed once, when the last copy closes it or goes away.
// open, createAndOpen and attach release this object's share of the key held before.
//
// Linux keeps the keys in SQLite databases, one file per root: HKEY_CURRENT_USER in
// $XDG_CONFIG_HOME/kqsystem (default ~/.config/kqsystem), HKEY_LOCAL_MACHINE in
// /var/lib/kqsystem; the environment variable KQ_REGISTRY_DIR names another folder for both.
// Key and value names compare case-insensitively (ASCII letters), every write is one
// transaction and is on disk when it returns, and other roots do not open. A key opened
// without KEY_SET_VALUE refuses the setters and deleteValue, as Windows does; where the user may
// not write the database, only opens without write access succeed.
class KQ_API registry {
public:
    registry();
    explicit registry(HKEY root);
    registry(HKEY root, const std::string& basePath);
    registry(const registry& other);
    registry& operator=(const registry& other);
    ~registry();

    // Takes key as the open key; this object then closes it.
    void attach(HKEY key);
    // Open an existing key, or create it and the missing keys on its path, at
    // basePath\name below the root key; true on success.
    bool open(const std::string& name, unsigned long access);
    bool createAndOpen(const std::string& name, unsigned long access);
    void close();
    // Puts the open key's changes on disk.
    void flush();

    // The path below the root key named by the last open or createAndOpen, whatever its result.
    const std::string& keyName() const;
    HKEY keyHandle() const;

    // The first 4 bytes of the value, whatever its type, little-endian; defaultValue when the
    // value cannot be read or holds more than 4 bytes.
    unsigned long queryDWORDValue(const std::string& valueName, unsigned long defaultValue) const;
    // A REG_SZ or REG_EXPAND_SZ value (not expanded) up to its first NUL; defaultValue for any
    // other type or a value that cannot be read.
    std::string queryStringValue(const std::string& valueName,
                                 const std::string& defaultValue) const;
    // Writes REG_DWORD, 4 bytes; failures pass silently.
    void setDWORDValue(const std::string& valueName, unsigned long value) const;
    // Writes REG_SZ with its terminating NUL; failures pass silently.
    void setStringValue(const std::string& valueName, const std::string& value) const;
    void deleteValue(const std::string& valueName) const;

private:
    using KeyCall = long (*)(HKEY root, const std::string& name, unsigned long access, HKEY& key);

    // Sets the key name, then opens it with call; the open key is what the call gave, or none.
    bool openBelowRoot(const std::string& name, unsigned long access, KeyCall call);
    // Replaces the open key with key, which this object (and its copies) then owns.
    void hold(HKEY key);

    HKEY root_;
    std::shared_ptr<std::remove_pointer_t<HKEY>> openKey_;
    std::string basePath_;
    std::string keyName_;
};

}  // namespace win32
}  // namespace kq
