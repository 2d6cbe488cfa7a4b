#include "PortMonReader.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fstream>
#endif

namespace {

using Bytes = std::vector<unsigned char>;

struct LineCase {
    const char* line;
    ActionKind kind;
    Bytes data;
};

class PortMonReaderLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(PortMonReaderLine, ReadsOneLine) {
    const LineCase& c = GetParam();
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile("dump.log", std::string(c.line) + "\r\n"));
    const PortMonAction* action = reader.next();
    if (c.kind == ActionKind::None) {
        EXPECT_EQ(action, nullptr);
        return;
    }
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->kind, c.kind);
    EXPECT_EQ(action->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PortMonReaderLine,
    ::testing::Values(
        LineCase{"17\tIRP_MJ_WRITE\tLength 3: 0A 1B 2C", ActionKind::Send, {0x0A, 0x1B, 0x2C}},
        LineCase{"irp_mj_read\tLength 2: 90 00", ActionKind::Recv, {0x90, 0x00}},
        LineCase{"Irp_Mj_Write\tLength 1: 7F", ActionKind::Send, {0x7F}},
        LineCase{"IOCTL_SERIAL_PURGE\tLength 4: 0F 00 00 00", ActionKind::Purge, {}},
        LineCase{"IRP_MJ_WRITE\tlength 1: 01", ActionKind::Send, {}},
        LineCase{" IRP_MJ_WRITE\tLength 1: 01", ActionKind::None, {}},
        LineCase{"x IRP_MJ_WRITE x\tLength 1: 01", ActionKind::None, {}},
        LineCase{"IRP_MJ_WRITE\tIRP_MJ_READ\tLength 1: 01", ActionKind::Recv, {0x01}},
        LineCase{"IRP_MJ_READ\tLength 1: 01\tLength 1: 02", ActionKind::Recv, {0x02}},
        LineCase{"IRP_MJ_READ\t\t\tLength 1: 5A\t", ActionKind::Recv, {0x5A}},
        LineCase{"IRP_MJ_WRITE\tLength 3 0A 1B 2C", ActionKind::Send, {}},
        LineCase{"IRP_MJ_WRITE\tLength 0:", ActionKind::Send, {}},
        LineCase{"IRP_MJ_WRITE\tLength 3:0A1B2C", ActionKind::Send, {0x0A, 0x1B, 0x2C}},
        LineCase{"IRP_MJ_WRITE\tLength 3: 0A  1B 2C", ActionKind::Send, {0x0A, 0x1B, 0x2C}},
        LineCase{"IRP_MJ_WRITE\tLength 5: 01 02", ActionKind::Send, {0x01, 0x02}},
        LineCase{"IRP_MJ_WRITE\tSUCCESS", ActionKind::Send, {}},
        LineCase{"IRP_MJ_CREATE\tSerial0\tSUCCESS\tOptions: Open", ActionKind::None, {}},
        LineCase{"", ActionKind::None, {}}));

TEST(PortMonReader, SkipsOtherLinesAndReadsLineEndsAlike) {
    kqtest::TempDir dir;
    const std::string dump =
        "PortMon log\r\n"
        "1\t0.1\tt.exe\tIOCTL_SERIAL_SET_BAUD_RATE\tSerial0\tSUCCESS\tRate: 115200\r\n"
        "2\t0.2\tt.exe\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 1: 01\n"
        "\n"
        "3\t0.3\tt.exe\tIOCTL_SERIAL_PURGE\tSerial0\tSUCCESS\tPurge: RXCLEAR\r\n"
        "4\t0.4\tt.exe\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 2: 90 00";
    PortMonReader reader(dir.writeFile("dump.log", dump));
    const PortMonAction* first = reader.next();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, ActionKind::Send);
    EXPECT_EQ(first->data, Bytes{0x01});
    ASSERT_NE(reader.next(), nullptr);
    EXPECT_EQ(first->kind, ActionKind::Purge) << "the record is reused";
    const PortMonAction* last = reader.next();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->kind, ActionKind::Recv);
    EXPECT_EQ(last->data, (Bytes{0x90, 0x00}));
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_EQ(reader.next(), nullptr);
}

TEST(PortMonReader, BadPayloadThrowsAndIsConsumed) {
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile(
        "dump.log", "IRP_MJ_WRITE\tLength 2: 01:02\nIRP_MJ_READ\tLength 1: 03\n"));
    try {
        reader.next();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "invalid hex char ':'");
    }
    const PortMonAction* action = reader.next();
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->kind, ActionKind::Recv);
}

// PortMon may still be logging to the dump: its open handle must not stop the reader.
class OpenWriter {
public:
    explicit OpenWriter(const std::string& path) {
#ifdef _WIN32
        handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
#else
        stream.open(path, std::ios::app);
        EXPECT_TRUE(stream.is_open());
#endif
    }
#ifdef _WIN32
    ~OpenWriter() { CloseHandle(handle); }

private:
    HANDLE handle;
#else
private:
    std::ofstream stream;
#endif
};

TEST(PortMonReader, ReadsWhileAnotherProgramHoldsTheFileForWriting) {
    kqtest::TempDir dir;
    const std::string path = dir.writeFile("live.log", "IRP_MJ_READ\tLength 1: 42\r\n");
    OpenWriter writer(path);
    PortMonReader reader(path);
    const PortMonAction* action = reader.next();
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->data, Bytes{0x42});
}

// A folder would otherwise replay as an empty dump on Linux and report success.
TEST(PortMonReader, MissingFileOrFolderNamesItAsGiven) {
    kqtest::TempDir dir;
    for (const std::string& name : {(dir.path() / "absent.log").string(), dir.path().string()}) {
        try {
            PortMonReader reader(name);
            ADD_FAILURE() << "no exception for " << name;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "can't open '" + name + "'");
        }
    }
}

}  // namespace
