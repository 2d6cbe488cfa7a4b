#include "Responder.h"

#include "common/Console.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <algorithm>
#include <thread>

namespace quorvex {

namespace {

using Clock = std::chrono::steady_clock;

// The longest an answer waits for the host's purges.
const std::chrono::milliseconds purgeBound(2000);
// Once one purge came, how long the host may take to make the next before the
// rest are taken to have come together with it.
const std::chrono::milliseconds purgeSettle(300);

std::chrono::milliseconds until(Clock::time_point at)
{
    const auto left = at - Clock::now();
    return left.count() > 0 ? std::chrono::ceil<std::chrono::milliseconds>(left)
                            : std::chrono::milliseconds(0);
}

}  // namespace

Responder::Responder(DevicePort& port, const DeviceOptions& options)
    : port_(port), options_(options)
{
}

// A host that does not read would otherwise hold the device in its write for ever.
void Responder::answer(const std::vector<unsigned char>& data, const AnswerCue& cue)
{
    // Nothing to lose, nothing to wait for: a host that does not wait for an empty
    // answer makes the purges of the next one meanwhile.
    if (!data.empty()) {
        holdForPurges(cue);
        holdForLatency(cue);
        // Counted before the write: a quick host has purged for the next answer
        // by the time the write returns.
        flushBase_ = port_.flushes();
    }
    const std::size_t written = port_.write(data, options_.timeout);
    const long count = static_cast<long>(data.size());
    if (written == data.size()) {
        print(kq::format("answer %ld bytes: %s\n", count, hex(data).c_str()));
        return;
    }
    ++unanswered_;
    print(kq::format("answer %ld bytes: only %ld taken, the host did not read in time\n", count,
                     static_cast<long>(written)));
}

// Seen: until the host made as many purges as recorded, or went quiet after one.
// Unseen: the recorded time; the bound keeps a host's read window open.
void Responder::holdForPurges(const AnswerCue& cue)
{
    if (cue.purges == 0) {
        return;
    }
    const Clock::time_point bound = cue.since + purgeBound;
    if (!port_.seesFlushes()) {
        if (cue.recorded.count() >= 0) {
            std::this_thread::sleep_for(until(std::min<Clock::time_point>(
                bound, cue.since + std::chrono::ceil<std::chrono::milliseconds>(cue.recorded))));
        }
        return;
    }
    long seen = port_.flushes();
    Clock::time_point changed = Clock::now();
    while (seen - flushBase_ < cue.purges) {
        const Clock::time_point end =
            seen > flushBase_ ? std::min(bound, changed + purgeSettle) : bound;
        if (Clock::now() >= end) {
            break;
        }
        port_.awaitFlush(seen, until(end));
        const long now = port_.flushes();
        if (now != seen) {
            changed = Clock::now();
        }
        seen = now;
    }
}

void Responder::holdForLatency(const AnswerCue& cue)
{
    std::chrono::milliseconds delay(0);
    if (options_.latency == DeviceOptions::Latency::Fixed) {
        delay = options_.fixedLatency;
    } else if (options_.latency == DeviceOptions::Latency::Recorded && cue.recorded.count() > 0) {
        delay =
            std::min(std::chrono::ceil<std::chrono::milliseconds>(cue.recorded), options_.timeout);
    }
    std::this_thread::sleep_for(until(cue.since + delay));
}

}  // namespace quorvex
