#include "portmon/PortMonWriter.h"
#include "portmon/PortMonReader.h"
#include "support/TempDir.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// What the writer writes, the loader's strict reader reads back whole.
TEST(PortMonWriter, WritesLinesTheStrictReaderReadsBack)
{
    kqtest::TempDir dir;
    const std::string file = (dir.path() / "session.log").string();
    const unsigned char bytes[] = {0x0A, 0x1B, 0x2C};
    {
        quorvex::PortMonWriter writer(file);
        writer.write("prog", "IRP_MJ_CREATE", "ttyUSB0", "Options: Open");
        writer.write("prog", "IOCTL_SERIAL_SET_BAUD_RATE", "ttyUSB0", "Rate: 19200");
        writer.writeBytes("prog", "IRP_MJ_WRITE", "ttyUSB0", bytes, 3);
        writer.write("prog", "IOCTL_SERIAL_PURGE", "ttyUSB0", "Purge: RXCLEAR");
        writer.write("prog", "IRP_MJ_READ", "ttyUSB0", quorvex::lengthDetails(bytes, 1));
    }
    quorvex::ReaderOptions options;
    options.settings = true;
    quorvex::PortMonReader reader(file, options);
    const struct {
        quorvex::ActionKind kind;
        std::vector<unsigned char> data;
        long declared;
    } expected[] = {{quorvex::ActionKind::Settings, {}, -1},
                    {quorvex::ActionKind::Send, {0x0A, 0x1B, 0x2C}, 3},
                    {quorvex::ActionKind::Purge, {}, -1},
                    {quorvex::ActionKind::Recv, {0x0A}, 1}};
    for (const auto& e : expected) {
        const quorvex::PortMonAction* action = reader.next();
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->kind, e.kind) << "line " << action->line;
        EXPECT_EQ(action->data, e.data) << "line " << action->line;
        EXPECT_EQ(action->port, "ttyUSB0");
        if (e.declared >= 0) {
            EXPECT_EQ(action->declared, e.declared);
        }
    }
    EXPECT_EQ(reader.next(), nullptr);
    EXPECT_EQ(reader.notUnderstood(), 0);
}

// A writer killed after write() returns leaves the whole line behind, however
// long the line, and nothing of the next.
TEST(PortMonWriter, LeavesEachLineWholeInTheFileWhenWriteReturns)
{
    kqtest::TempDir dir;
    const std::string file = (dir.path() / "session.log").string();
    quorvex::PortMonWriter writer(file);
    const std::vector<unsigned char> bytes(8192, 0xA5);
    for (const std::size_t size : {std::size_t(3), bytes.size(), std::size_t(1)}) {
        writer.writeBytes("prog", "IRP_MJ_READ", "ttyUSB0", bytes.data(), size);
        const std::string text = kqtest::readFile(file);
        const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
        EXPECT_EQ(last.substr(last.size() - 3), "\t\r\n");
        EXPECT_NE(last.find("\tLength " + std::to_string(size) + ":"), std::string::npos);
        EXPECT_EQ(last.size() - last.find("Length"), 11 + std::to_string(size).size() + 3 * size);
    }
}

TEST(PortMonWriter, FormatsALineAsPortMonDoes)
{
    EXPECT_EQ(quorvex::portMonLine(7, 0.5, "prog", "IRP_MJ_READ", "COM3", "Length 0: "),
              "7\t0.50000000\tprog\tIRP_MJ_READ\tCOM3\tSUCCESS\tLength 0: \t\r\n");
}

#ifndef _WIN32
// A full disk is an error at the line that did not fit, never a silently short log.
TEST(PortMonWriter, ReportsALineThatCannotBeWritten)
{
    quorvex::PortMonWriter writer("/dev/full");
    EXPECT_THROW(writer.write("prog", "IRP_MJ_CLOSE", "COM3", ""), std::runtime_error);
}
#endif

}  // namespace
