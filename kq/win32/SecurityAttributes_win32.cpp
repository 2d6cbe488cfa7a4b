#include <kq/win32/SecurityAttributes.h>
#include <kq/win32/detail/SecurityAttributesImpl.h>

namespace kq {
namespace win32 {

SecurityAttributes::SecurityAttributes(SA_Predefined kind, unsigned long accessMask)
    : impl_(new SecurityAttributesImpl)
{
    impl_->access_.grfAccessPermissions = accessMask;
    if (kind == SA_World) {
        createWorldEA();
    } else {
        createAdminEA();
    }
    impl_->access_.grfAccessMode = SET_ACCESS;
    impl_->access_.grfInheritance = NO_INHERITANCE;
    impl_->access_.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    impl_->access_.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    impl_->access_.Trustee.ptstrName = static_cast<LPSTR>(impl_->sid_);
    ::SetEntriesInAclA(1, &impl_->access_, nullptr, &impl_->acl_);

    impl_->descriptor_ = ::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    ::InitializeSecurityDescriptor(impl_->descriptor_, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(impl_->descriptor_, TRUE, impl_->acl_, FALSE);

    impl_->attributes_.nLength = sizeof(SECURITY_ATTRIBUTES);
    impl_->attributes_.lpSecurityDescriptor = impl_->descriptor_;
    impl_->attributes_.bInheritHandle = FALSE;
}

SecurityAttributes::~SecurityAttributes()
{
    if (impl_->sid_ != nullptr) {
        ::FreeSid(impl_->sid_);
    }
    ::LocalFree(impl_->acl_);
    ::LocalFree(impl_->descriptor_);
}

SecurityAttributes::operator _SECURITY_ATTRIBUTES*()
{
    return &impl_->attributes_;
}

void SecurityAttributes::createWorldEA()
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &impl_->sid_);
    impl_->access_.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
}

void SecurityAttributes::createAdminEA()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    ::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                               0, 0, 0, 0, &impl_->sid_);
    impl_->access_.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
}

}  // namespace win32
}  // namespace kq
