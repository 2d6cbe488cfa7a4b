#include "PortMonReader.h"

#include "support/TempDir.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#  include <windows.h>
#else
#  include <fstream>
#endif

namespace {

using quorvex::PortMonAction;
using quorvex::PortMonReader;

// "send 0A 1B" and the like; "end" for no action.
std::string describe(const PortMonAction* action)
{
    if (!action)
        return "end";
    const char* const kinds[] = {"none", "purge", "send", "recv"};
    std::string text = kinds[static_cast<int>(action->kind)];
    for (unsigned char byte : action->data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        text += hex;
    }
    return text;
}

TEST(PortMonReader, ReadsOneLine)
{
    const struct {
        const char* line;
        const char* action;
    } cases[] = {
        {"17\tIRP_MJ_WRITE\tLength 3: 0A 1B 2C", "send 0A 1B 2C"},
        {"irp_mj_read\tLength 2: 90 00", "recv 90 00"},
        {"Irp_Mj_Write\tLength 1: 7F", "send 7F"},
        {"IOCTL_SERIAL_PURGE\tLength 4: 0F 00 00 00", "purge"},
        {"IRP_MJ_WRITE\tlength 1: 01", "send"},
        {" IRP_MJ_WRITE\tLength 1: 01", "end"},
        {"x IRP_MJ_WRITE x\tLength 1: 01", "end"},
        {"IRP_MJ_WRITE\tIRP_MJ_READ\tLength 1: 01", "recv 01"},
        {"IRP_MJ_READ\tLength 1: 01\tLength 1: 02", "recv 02"},
        {"IRP_MJ_READ\t\t\tLength 1: 5A\t", "recv 5A"},
        {"IRP_MJ_WRITE\tLength 3 0A 1B 2C", "send"},
        {"IRP_MJ_WRITE\tLength 0:", "send"},
        {"IRP_MJ_WRITE\tLength 3:0A1B2C", "send 0A 1B 2C"},
        {"IRP_MJ_WRITE\tLength 3: 0A  1B 2C", "send 0A 1B 2C"},
        {"IRP_MJ_WRITE\tLength 5: 01 02", "send 01 02"},
        {"IRP_MJ_WRITE\tSUCCESS", "send"},
        {"IRP_MJ_CREATE\tSerial0\tSUCCESS\tOptions: Open", "end"},
        {"", "end"},
    };
    kqtest::TempDir dir;
    for (const auto& c : cases) {
        PortMonReader reader(dir.writeFile("dump.log", std::string(c.line) + "\r\n"));
        EXPECT_EQ(c.action, describe(reader.next())) << c.line;
    }
}

TEST(PortMonReader, SkipsOtherLinesAndReadsLineEndsAlike)
{
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile(
        "dump.log",
        "PortMon log\r\n"
        "1\t0.1\tt.exe\tIOCTL_SERIAL_SET_BAUD_RATE\tSerial0\tSUCCESS\tRate: 115200\r\n"
        "2\t0.2\tt.exe\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 1: 01\n"
        "\n"
        "3\t0.3\tt.exe\tIOCTL_SERIAL_PURGE\tSerial0\tSUCCESS\tPurge: RXCLEAR\r\n"
        "4\t0.4\tt.exe\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 2: 90 00"));
    const PortMonAction* first = reader.next();
    EXPECT_EQ("send 01", describe(first));
    EXPECT_EQ("purge", describe(reader.next()));
    EXPECT_EQ("purge", describe(first)) << "the record is reused";
    EXPECT_EQ("recv 90 00", describe(reader.next()));
    EXPECT_EQ("end", describe(reader.next()));
    EXPECT_EQ("end", describe(reader.next()));
}

TEST(PortMonReader, BadPayloadThrowsAndIsConsumed)
{
    kqtest::TempDir dir;
    PortMonReader reader(
        dir.writeFile("dump.log", "IRP_MJ_WRITE\tLength 2: 01:02\nIRP_MJ_READ\tLength 1: 03\n"));
    EXPECT_EQ("runtime_error: invalid hex char ':'", support::thrownBy([&] { reader.next(); }));
    EXPECT_EQ("recv 03", describe(reader.next()));
}

// PortMon may still be logging to the dump: its open handle must not stop the reader.
#ifdef _WIN32
struct OpenWriter {
    explicit OpenWriter(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    ~OpenWriter() { CloseHandle(handle); }
    HANDLE handle;
};
#else
struct OpenWriter {
    explicit OpenWriter(const std::string& path) : stream(path, std::ios::app)
    {
        EXPECT_TRUE(stream.is_open());
    }
    std::ofstream stream;
};
#endif

TEST(PortMonReader, ReadsWhileAnotherProgramHoldsTheFileForWriting)
{
    kqtest::TempDir dir;
    const std::string path = dir.writeFile("live.log", "IRP_MJ_READ\tLength 1: 42\r\n");
    OpenWriter writer(path);
    PortMonReader reader(path);
    EXPECT_EQ("recv 42", describe(reader.next()));
}

// A folder would otherwise replay as an empty dump on Linux and report success.
TEST(PortMonReader, MissingFileOrFolderNamesItAsGiven)
{
    kqtest::TempDir dir;
    for (const std::string& name : {(dir.path() / "absent.log").string(), dir.path().string()}) {
        EXPECT_EQ("runtime_error: can't open '" + name + "'",
                  support::thrownBy([&] { PortMonReader reader(name); }));
    }
}

}  // namespace
