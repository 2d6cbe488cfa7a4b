#pragma once

#include "support/Process.h"

#include <kq/ipc/MessageChannel.h>
#include <kq/ipc/SharedMemory.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace kqtest {

// A name no other test and no other test process uses.
std::string uniqueName(const std::string& what);

#if !defined(_WIN32)
// The file behind a named object (names without '/' or '%').
std::string objectFile(const std::string& name);
#endif

// This test program again, running one child role of IpcChild.cpp on the name, with
// an argument the role may read (KQ_IPC_ARG).
std::unique_ptr<Process> startChild(const std::string& role, const std::string& name,
                                    const std::string& arg = "");

// The child's next report line (its other output, gtest's own, skipped), without its
// marker; false when none came within the time-out.
bool readReport(Process& child, std::string& line, std::chrono::milliseconds timeout);
// Prefixes a child's report lines.
extern const std::string ReportMarker;

// Fails the test unless the child's next line is the expected one.
void expectLine(Process& child, const std::string& expected);

// Message 7 of the bytes 1 2 3, then message 9 of the bytes 4 5; true when both were queued.
bool sendWorkedMessages(kq::ipc::MessageChannel& channel);

// The 32-bit number at a byte offset of a shared block.
std::uint32_t wordAt(const kq::ipc::SharedMemory& memory, unsigned int offset);
void setWordAt(const kq::ipc::SharedMemory& memory, unsigned int offset, std::uint32_t value);
unsigned char* bytes(const kq::ipc::SharedMemory& memory);

}  // namespace kqtest
