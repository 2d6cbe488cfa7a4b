#pragma once

#include <kq/export.h>

#include <memory>

struct _SECURITY_ATTRIBUTES;

namespace kq {
namespace win32 {

class SecurityAttributesImpl;

// A security descriptor with one access-control entry that grants a chosen access
// mask to everyone or to the local administrators group, for the named objects
// this library creates. Windows only.
class KQ_API SecurityAttributes {
public:
    enum SA_Predefined {
        SA_World = 0,  // everyone (S-1-1-0)
        SA_Admin = 1   // the built-in administrators group (S-1-5-32-544); so is every other value
    };

    SecurityAttributes(SA_Predefined kind, unsigned long accessMask);
    ~SecurityAttributes();

    // The descriptor's blocks belong to one object alone.
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;

    // This object's own attributes record (a SECURITY_ATTRIBUTES*), valid while it lives.
    operator _SECURITY_ATTRIBUTES*();

private:
    void createWorldEA();
    void createAdminEA();

    std::unique_ptr<SecurityAttributesImpl> impl_;
};

}  // namespace win32
}  // namespace kq
