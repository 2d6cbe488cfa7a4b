#include <kq/win32/IsWow64.h>

#if defined(_WIN32) && !defined(_WIN64)
#  include <windows.h>
#endif

#include <gtest/gtest.h>

namespace {

TEST(IsWow64, AnswersForThisBuild)
{
#if defined(_WIN32) && !defined(_WIN64)
    // A 32-bit build runs under WOW64 exactly when the machine's own processor is not x86.
    SYSTEM_INFO native{};
    ::GetNativeSystemInfo(&native);
    EXPECT_EQ(native.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL, kq::win32::IsWow64());
#else
    // 64-bit Windows processes and Linux processes are native.
    EXPECT_FALSE(kq::win32::IsWow64());
#endif
}

}  // namespace
