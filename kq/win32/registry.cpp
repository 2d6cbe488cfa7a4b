#include <kq/win32/registry.h>

#include <kq/win32/IsWow64.h>
#include <kq/win32/detail/RegistryStore.h>

#include <vector>

namespace kq {
namespace win32 {

namespace {

// A 32-bit process under WOW64 works in the 64-bit view, like the 64-bit programs it shares
// settings with.
unsigned long inView(unsigned long access)
{
    return IsWow64() ? access | detail::Wow64View : access;
}

bool isString(unsigned long type)
{
    return type == detail::TypeString || type == detail::TypeExpandString;
}

}  // namespace

registry::registry() : root_(nullptr) {}

registry::registry(HKEY root) : root_(root) {}

registry::registry(HKEY root, const std::string& basePath) : root_(root), basePath_(basePath) {}

registry::registry(const registry& other) = default;

registry& registry::operator=(const registry& other) = default;

registry::~registry() = default;

void registry::attach(HKEY key)
{
    hold(key);
}

bool registry::open(const std::string& name, unsigned long access)
{
    return openBelowRoot(name, access, detail::openKey);
}

bool registry::createAndOpen(const std::string& name, unsigned long access)
{
    return openBelowRoot(name, access, detail::createKey);
}

void registry::close()
{
    openKey_.reset();
}

void registry::flush()
{
    if (openKey_) {
        detail::flushKey(openKey_.get());
    }
}

const std::string& registry::keyName() const
{
    return keyName_;
}

HKEY registry::keyHandle() const
{
    return openKey_.get();
}

unsigned long registry::queryDWORDValue(const std::string& valueName,
                                        unsigned long defaultValue) const
{
    unsigned char bytes[4] = {0, 0, 0, 0};
    unsigned long type = 0;
    unsigned long size = sizeof bytes;
    if (!openKey_ || detail::queryValue(openKey_.get(), valueName, type, bytes, size) != 0) {
        return defaultValue;
    }
    return static_cast<unsigned long>(bytes[0]) | static_cast<unsigned long>(bytes[1]) << 8 |
           static_cast<unsigned long>(bytes[2]) << 16 | static_cast<unsigned long>(bytes[3]) << 24;
}

std::string registry::queryStringValue(const std::string& valueName,
                                       const std::string& defaultValue) const
{
    unsigned long type = 0;
    unsigned long size = 0;
    if (!openKey_ || detail::queryValue(openKey_.get(), valueName, type, nullptr, size) != 0 ||
        !isString(type)) {
        return defaultValue;
    }
    if (size == 0) {
        return std::string();
    }
    // One zero byte past the data ends a string stored without its NUL. A value changed by
    // someone else between the two calls gives the default rather than a torn read.
    std::vector<char> text(size + 1, '\0');
    if (detail::queryValue(openKey_.get(), valueName, type,
                           reinterpret_cast<unsigned char*>(text.data()), size) != 0 ||
        !isString(type)) {
        return defaultValue;
    }
    return std::string(text.data());
}

void registry::setDWORDValue(const std::string& valueName, unsigned long value) const
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    if (openKey_) {
        detail::setValue(openKey_.get(), valueName, detail::TypeDword, bytes, sizeof bytes);
    }
}

void registry::setStringValue(const std::string& valueName, const std::string& value) const
{
    if (openKey_) {
        detail::setValue(openKey_.get(), valueName, detail::TypeString,
                         reinterpret_cast<const unsigned char*>(value.c_str()),
                         static_cast<unsigned long>(value.size() + 1));
    }
}

void registry::deleteValue(const std::string& valueName) const
{
    if (openKey_) {
        detail::deleteValue(openKey_.get(), valueName);
    }
}

bool registry::openBelowRoot(const std::string& name, unsigned long access, KeyCall call)
{
    keyName_ = basePath_.empty() ? name : basePath_ + '\\' + name;
    HKEY key = nullptr;
    const bool opened = call(root_, keyName_, inView(access), key) == 0;
    hold(opened ? key : nullptr);
    return opened;
}

void registry::hold(HKEY key)
{
    if (key == openKey_.get()) {
        return;
    }
    if (key == nullptr) {
        openKey_.reset();
    } else {
        openKey_.reset(key, detail::closeKey);
    }
}

}  // namespace win32
}  // namespace kq
