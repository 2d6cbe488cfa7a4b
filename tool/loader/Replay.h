#pragma once

#include "BlockJudge.h"
#include "portmon/PortMonReader.h"
#include "report/Reports.h"

#include <chrono>
#include <string>

namespace quorvex {

struct ReplayOptions {
    ReaderOptions reader;
    // After each read window, say whether the device answered what was recorded;
    // consecutive reads form one expected block.
    bool compare = false;
    // A window ends once the expected bytes are in; a read of nothing has none.
    bool fast = false;
    std::chrono::milliseconds window{2000};
    // After every action.
    std::chrono::milliseconds pause{100};
    // Port settings in the serial configuration text form instead of the fixed line.
    std::string config;
    // With compare: masks and the latency limit.
    JudgeOptions judging;
    // Stop at the first block that is not a match.
    bool failFast = false;
    ReportFiles::Names reports;
    // Replay this many times; with learnMasks set, write the masks the runs call for there.
    int repeat = 1;
    std::string learnMasks;
    // Redraw a progress line on standard error.
    bool progress = false;
};

// Plays the dump back on the serial device, printing every step on stdout and
// "complete" at the end. The whole dump is read first: a payload that is not
// hexadecimal ends the run before the port is opened. Throws std::runtime_error
// when the dump, a report file or the device cannot be opened. Returns the exit
// status: 0, or 2 when a compared block differed or came late.
int runReplay(const std::string& serialName, const std::string& inputFile,
              const ReplayOptions& options = {});

}  // namespace quorvex
