#include <kq/SharedLibrary.h>

#include "support/TestLibrary.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <filesystem>

using kq::SharedLibrary;

namespace {

const std::string Missing = "kqtest-no-such-library";

// Calls the test library's function through the object, or gives -1 when it is not there.
int answer(const SharedLibrary& library)
{
    using Function = int (*)();
    void* address = library.getProc(kqtest::TestLibraryFunction);
    return address != nullptr ? reinterpret_cast<Function>(address)() : -1;
}

std::string loadFailure(const std::string& path)
{
#if defined(_WIN32)
    // ERROR_MOD_NOT_FOUND
    return "runtime_error: ::LoadLibrary( '" + path + "' ) failed: 126";
#else
    return "runtime_error: ::dlopen( '" + path + "' ) failed: " + path +
           ": cannot open shared object file: No such file or directory";
#endif
}

TEST(SharedLibrary, LoadsAndFindsExactlyTheExportedName)
{
    const SharedLibrary library(kqtest::testLibraryPath());
    EXPECT_TRUE(library.isLoaded());
    EXPECT_EQ(kqtest::TestLibraryAnswer, answer(library));
    EXPECT_TRUE(library.hasProc(kqtest::TestLibraryFunction));
    EXPECT_FALSE(library.hasProc("KQTESTANSWER"));
    EXPECT_EQ(nullptr, library.getProc("kqtestAnswe"));
}

TEST(SharedLibrary, EmptyObjectHasNoEntryPoints)
{
    const SharedLibrary library;
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.hasProc(kqtest::TestLibraryFunction));
    EXPECT_EQ(nullptr, library.getProc("main"));
}

TEST(SharedLibrary, FailedLoadNamesThePathAndLeavesTheObjectUsable)
{
    EXPECT_EQ(loadFailure(Missing), kqtest::thrownBy([] { SharedLibrary library(Missing); }));
    SharedLibrary library;
    EXPECT_EQ(loadFailure(Missing), kqtest::thrownBy([&] { library.load(Missing); }));
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.tryLoad(Missing));
    EXPECT_FALSE(library.tryLoad(""));
    EXPECT_TRUE(library.tryLoad(kqtest::testLibraryPath()));
    EXPECT_EQ(kqtest::TestLibraryAnswer, answer(library));
}

TEST(SharedLibrary, SecondLoadKeepsTheFirstLibrary)
{
    SharedLibrary library(kqtest::testLibraryPath());
    EXPECT_EQ("runtime_error: already loaded", kqtest::thrownBy([&] { library.load(Missing); }));
    EXPECT_TRUE(library.tryLoad(Missing));
    EXPECT_EQ(kqtest::TestLibraryAnswer, answer(library));
}

// The directory form changes the process's current directory before the load, and keeps
// it changed, so a relative path is found there.
TEST(SharedLibrary, DirectoryFormLoadsFromTheNewCurrentDirectory)
{
    const auto before = std::filesystem::current_path();
    const auto folder = std::filesystem::path(kqtest::testLibraryPath()).parent_path();
    {
        const SharedLibrary library("./" + kqtest::testLibraryName(), folder.string());
        EXPECT_EQ(kqtest::TestLibraryAnswer, answer(library));
    }
    const auto after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::equivalent(folder, after)) << after;
}

}  // namespace
