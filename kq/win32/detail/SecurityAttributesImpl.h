#pragma once

#include <windows.h>

#include <aclapi.h>

namespace kq {
namespace win32 {

// The blocks the system allocates for one descriptor, and the record that points
// at it. SecurityAttributes frees them.
class SecurityAttributesImpl {
public:
    PSID sid_ = nullptr;
    EXPLICIT_ACCESS_A access_{};
    PACL acl_ = nullptr;
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace win32
}  // namespace kq
