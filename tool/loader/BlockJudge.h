#pragma once

#include "ReceiveWindow.h"
#include "portmon/MaskFile.h"
#include "report/RunRecord.h"

#include <vector>

namespace quorvex {

struct JudgeOptions {
    // Patterns that replace the log's bytes of a block, by its first read line.
    MaskSet masks;
    // A first byte later than this many ms makes a block late; 0: no limit.
    long maxLatency = 0;
};

// Compares the device's answer with the block, prints "match", "MISMATCH ..." or
// "LATE ..." and returns the block's record. Latencies count from requestEnd,
// the end of the send the device answers.
BlockRecord judge(const ExpectedBlock& block, std::vector<unsigned char> got,
                  const Arrival& arrival, Timetable::Clock::time_point requestEnd,
                  const JudgeOptions& options);

}  // namespace quorvex
