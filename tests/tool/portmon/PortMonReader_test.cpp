#include "portmon/PortMonReader.h"
#include "common/LineSettings.h"

#include "support/TempDir.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#ifdef _WIN32
#  include <windows.h>
#else
#  include <fstream>
#endif

namespace {

using quorvex::PortMonAction;
using quorvex::PortMonReader;
using quorvex::ReaderOptions;

// "send 0A 1B" and the like; "end" for no action.
std::string describe(const PortMonAction* action)
{
    if (!action) {
        return "end";
    }
    const char* const kinds[] = {"none", "purge", "send", "recv", "settings "};
    std::string text = kinds[static_cast<int>(action->kind)];
    if (action->kind == quorvex::ActionKind::Settings) {
        text += quorvex::lineChangeText(action->change);
    }
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
        {"IRP_MJ_WRITE\tIOCTL_SERIAL_SET_BAUD_RATE\tRate: 9600\tLength 1: 01", "send 01"},
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
    EXPECT_EQ("runtime_error: invalid hex char ':'", kqtest::thrownBy([&] { reader.next(); }));
    EXPECT_EQ("recv 03", describe(reader.next()));
}

// PortMon may still be logging to the dump: its open handle must not stop the reader.
#ifdef _WIN32
struct OpenWriter {
    explicit OpenWriter(const std::string& path)
        : handle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    ~OpenWriter() { ::CloseHandle(handle); }
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
                  kqtest::thrownBy([&] { PortMonReader reader(name); }));
    }
}

// Every action of the dump, "; " between them.
std::string readAll(PortMonReader& reader)
{
    std::string text;
    while (const PortMonAction* action = reader.next()) {
        text += (text.empty() ? "" : "; ") + describe(action);
    }
    return text;
}

std::string readAll(const std::string& dump, const ReaderOptions& options)
{
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile("dump.log", dump), options);
    return readAll(reader);
}

// Each variant a copy, an older PortMon or another display setting produces, read
// strictly and leniently; leniently it must give what the tab-separated log gives.
TEST(PortMonReader, LenientReadingTakesTheLogVariants)
{
    const struct {
        const char* name;
        const char* dump;
        const char* strict;
        const char* lenient;
    } cases[] = {
        {"tabs", "1\t0.1\tt.exe\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 2: 0A 1B\r\n", "send 0A 1B",
         "send 0A 1B"},
        {"spaces", "1  0.1  t.exe  IRP_MJ_WRITE  Serial0  SUCCESS  Length 2: 0A 1B\r\n", "",
         "send 0A 1B"},
        {"leading #", "#1\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 1: 90\n", "recv 90",
         "recv 90"},
        {"leading # before the request", "#IRP_MJ_READ\tLength 1: 90\n", "", "recv 90"},
        {"Windows 9x", "1 0.1 t.exe VCOMM_WriteComm COM1 SUCCESS Length: 2: 0A 1B\n", "",
         "send 0A 1B"},
        {"Windows 9x purge", "2\t0.1\tt.exe\tVCOMM_PurgeComm\tCOM1\tSUCCESS\t\n", "", "purge"},
        {"completion line",
         "16\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\t\tLength 1\n"
         "17\t0.2\tt.exe\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 1: 41\n"
         "16  0.00000953  SUCCESS  Length 1: 57\n",
         "recv; send 41", "send 41; recv 57"},
        {"request never completed", "16\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\t\tLength 1\n", "recv",
         "recv"},
        {"payload in the middle of spaces", "3 IRP_MJ_WRITE Serial0 Length 3:0A1B2C\n", "",
         "send 0A 1B 2C"},
    };
    ReaderOptions lenient;
    lenient.lenient = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.strict, readAll(c.dump, {}));
        EXPECT_EQ(c.lenient, readAll(c.dump, lenient));
    }
}

TEST(PortMonReader, CountsRequestLinesItDoesNotUnderstand)
{
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile("dump.log",
                                       "PortMon capture of IRP_MJ_WRITE requests\n"
                                       "2\tIRP_MJ_READ\tLength 1: 01\n"
                                       "3  irp_mj_write  Serial0  Length 1: 01\n"
                                       "4\tIOCTL_SERIAL_SET_BAUD_RATE\tRate: 9600\n"));
    EXPECT_EQ("recv 01", readAll(reader));
    EXPECT_EQ(2, reader.notUnderstood());
    EXPECT_EQ(1, reader.firstNotUnderstood());
}

TEST(PortMonReader, ReadsOnePortAndNamesAllPorts)
{
    const std::string dump =
        "1\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 1: 01\n"
        "2\tIRP_MJ_WRITE\tSerial3\tSUCCESS\tLength 1: 03\n"
        "3\tIOCTL_SERIAL_PURGE\tSerial3\tSUCCESS\t\n";
    kqtest::TempDir dir;
    ReaderOptions serial3;
    serial3.port = "Serial3";
    PortMonReader reader(dir.writeFile("dump.log", dump), serial3);
    EXPECT_EQ("send 03; purge", readAll(reader));
    EXPECT_EQ((std::set<std::string>{"Serial0", "Serial3"}), reader.ports());
}

TEST(PortMonReader, ReadsTheDeclaredLengthAndTheLineSettings)
{
    kqtest::TempDir dir;
    ReaderOptions settings;
    settings.settings = true;
    PortMonReader reader(
        dir.writeFile("dump.log",
                      "1\tIOCTL_SERIAL_SET_BAUD_RATE\tSerial0\tSUCCESS\tRate: 9600\n"
                      "2\tIOCTL_SERIAL_SET_LINE_CONTROL\tSerial0\tSUCCESS\t"
                      "StopBits: 2 Parity: EVEN WordLength: 7\n"
                      "3\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 335: 01 02\n"),
        settings);
    EXPECT_EQ("settings baud=9600", describe(reader.next()));
    EXPECT_EQ("settings data=7;parity=even;stop=2", describe(reader.next()));
    const PortMonAction* read = reader.next();
    EXPECT_EQ("recv 01 02", describe(read));
    EXPECT_EQ(335, read->declared);
    EXPECT_EQ(3, read->line);
}

// An endless line must not take all memory: it is refused once it is longer
// than any PortMon line can be.
TEST(PortMonReader, RefusesALineLongerThanTheBoundNamingIt)
{
    kqtest::TempDir dir;
    PortMonReader reader(dir.writeFile(
        "dump.log",
        "IRP_MJ_READ\tLength 1: 01\n" + std::string(PortMonReader::maxLineLength + 1, '0')));
    EXPECT_EQ("recv 01", describe(reader.next()));
    EXPECT_EQ("other: line 2 is longer than 16777216 bytes: no PortMon line is",
              kqtest::thrownBy([&] { reader.next(); }));
}

// A failed read is no end of the dump.
TEST(PortMonReader, ReportsAReadErrorInsteadOfEndingTheDump)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file whose reading fails; Linux has /proc/self/mem";
#else
    PortMonReader reader("/proc/self/mem");
    EXPECT_EQ("other: can't read '/proc/self/mem' at line 1: Input/output error",
              kqtest::thrownBy([&] { reader.next(); }));
#endif
}

}  // namespace
