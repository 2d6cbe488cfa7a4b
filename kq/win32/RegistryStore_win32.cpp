#include <kq/win32/detail/RegistryStore.h>

#include <windows.h>

namespace kq {
namespace win32 {
namespace detail {

long openKey(HKEY root, const std::string& name, unsigned long access, HKEY& key)
{
    return ::RegOpenKeyExA(root, name.c_str(), 0, access, &key);
}

long createKey(HKEY root, const std::string& name, unsigned long access, HKEY& key)
{
    return ::RegCreateKeyExA(root, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                             nullptr, &key, nullptr);
}

void closeKey(HKEY key)
{
    ::RegCloseKey(key);
}

void flushKey(HKEY key)
{
    ::RegFlushKey(key);
}

long queryValue(HKEY key, const std::string& name, unsigned long& type, unsigned char* data,
                unsigned long& size)
{
    return ::RegQueryValueExA(key, name.c_str(), nullptr, &type, data, &size);
}

long setValue(HKEY key, const std::string& name, unsigned long type, const unsigned char* data,
              unsigned long size)
{
    return ::RegSetValueExA(key, name.c_str(), 0, type, data, size);
}

long deleteValue(HKEY key, const std::string& name)
{
    return ::RegDeleteValueA(key, name.c_str());
}

}  // namespace detail
}  // namespace win32
}  // namespace kq
