#include <kq/win32/SecurityAttributes.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <string>

using kq::win32::SecurityAttributes;

namespace {

struct Entry {
    std::string trustee;
    DWORD mask;
};

// The one access-control entry the descriptor carries.
Entry onlyEntry(SECURITY_ATTRIBUTES* attributes)
{
    BOOL present = FALSE;
    BOOL defaulted = TRUE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &acl, &defaulted);
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    EXPECT_NE(nullptr, acl);
    if (acl == nullptr) {
        return {};
    }
    EXPECT_EQ(1, acl->AceCount);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    GetAce(acl, 0, reinterpret_cast<void**>(&ace));
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
    char* sid = nullptr;
    ConvertSidToStringSidA(&ace->SidStart, &sid);
    Entry entry{sid, ace->Mask};
    ::LocalFree(sid);
    return entry;
}

TEST(SecurityAttributes, GrantsTheMaskToTheChosenTrustee)
{
    const struct {
        SecurityAttributes::SA_Predefined kind;
        const char* trustee;
    } cases[] = {
        {SecurityAttributes::SA_World, "S-1-1-0"},
        {SecurityAttributes::SA_Admin, "S-1-5-32-544"},
        {static_cast<SecurityAttributes::SA_Predefined>(7), "S-1-5-32-544"},
    };
    for (const auto& c : cases) {
        SecurityAttributes attributes(c.kind, SYNCHRONIZE | EVENT_MODIFY_STATE);
        SECURITY_ATTRIBUTES* record = attributes;
        EXPECT_EQ(sizeof(SECURITY_ATTRIBUTES), record->nLength);
        EXPECT_FALSE(record->bInheritHandle);
        const Entry entry = onlyEntry(record);
        EXPECT_EQ(c.trustee, entry.trustee);
        EXPECT_EQ(static_cast<DWORD>(SYNCHRONIZE | EVENT_MODIFY_STATE), entry.mask);
    }
}

}  // namespace
