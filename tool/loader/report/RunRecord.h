#pragma once

#include "common/BytePattern.h"

#include <string>
#include <vector>

namespace quorvex {

enum class Verdict { Match, Mismatch, Late };

const char* verdictName(Verdict verdict);

// One expected block of a replay: consecutive recorded reads answered as one.
struct BlockRecord {
    // The log line of its first read line.
    long line = 0;
    // The bytes the log shows, and what the device sent.
    std::vector<unsigned char> expected;
    std::vector<unsigned char> got;
    // What got was compared with: the log's bytes (any byte where the log shows
    // none or a text log a '.'), or the mask file's pattern.
    BytePattern pattern;
    bool masked = false;
    Verdict verdict = Verdict::Match;
    // From the end of the request's send; negative when nothing arrived.
    double firstByteMs = -1;
    double lastByteMs = -1;
    // The step lines the block printed, from the action after the previous block on.
    std::string transcript;
};

// What the reports say about one replay.
struct RunRecord {
    std::string log;
    std::string port;
    std::vector<BlockRecord> blocks;
    double seconds = 0;
    // The latency limit in ms, 0 when none was given.
    long maxLatency = 0;

    long count(Verdict verdict) const;
};

// Whether each byte position of a block differs from what was expected: the
// reports mark them. A position a wildcard allows is "masked" when it differs
// from the log's byte, "differs" when got and expected disagree in length or value.
enum class ByteMark { Same, Differs, Masked };
ByteMark markOf(const BlockRecord& block, std::size_t at);

}  // namespace quorvex
