#include "BlockJudge.h"

#include "common/Console.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

namespace quorvex {

namespace {

double msBetween(Timetable::Clock::time_point from, Timetable::Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void printVerdict(const BlockRecord& record, const ExpectedBlock& block, long maxLatency)
{
    const std::string mask = record.masked ? " (mask: " + record.pattern.text() + ")" : "";
    switch (record.verdict) {
        case Verdict::Match:
            print("match" + block.partly() + mask + "\n");
            break;
        case Verdict::Mismatch:
            print(kq::format("MISMATCH expected %s got %s", hex(record.expected).c_str(),
                             hex(record.got).c_str()) +
                  block.partly() + mask + "\n");
            break;
        case Verdict::Late:
            print(kq::format("LATE first byte after %.1f ms, limit %ld ms\n", record.firstByteMs,
                             maxLatency));
            break;
    }
}

}  // namespace

BlockRecord judge(const ExpectedBlock& block, std::vector<unsigned char> got,
                  const Arrival& arrival, Timetable::Clock::time_point requestEnd,
                  const JudgeOptions& options)
{
    BlockRecord record;
    record.line = block.line();
    record.expected = block.shown();
    record.got = std::move(got);
    const auto mask = options.masks.find(block.line());
    record.masked = mask != options.masks.end();
    record.pattern = record.masked ? mask->second : block.pattern();
    if (arrival.any) {
        record.firstByteMs = msBetween(requestEnd, arrival.first);
        record.lastByteMs = msBetween(requestEnd, arrival.last);
    }
    if (!record.pattern.matches(record.got)) {
        record.verdict = Verdict::Mismatch;
    } else if (options.maxLatency > 0 &&
               record.firstByteMs > static_cast<double>(options.maxLatency)) {
        record.verdict = Verdict::Late;
    }
    printVerdict(record, block, options.maxLatency);
    return record;
}

}  // namespace quorvex
