#pragma once

#include "DevicePort.h"
#include "portmon/LineTime.h"
#include "portmon/MaskFile.h"

#include <chrono>
#include <vector>

namespace quorvex {

struct DeviceOptions {
    // How long the host may do nothing.
    std::chrono::milliseconds timeout{10000};
    // When an answer goes: as soon as the host's purges allow, after the
    // delay the log records, or after a fixed delay.
    enum class Latency { Prompt, Recorded, Fixed } latency = Latency::Prompt;
    std::chrono::milliseconds fixedLatency{0};
    // Answer each request by what the log answered to the same bytes.
    bool match = false;
    // The answer to a request the log does not know, when given.
    bool hasDefault = false;
    std::vector<unsigned char> defaultAnswer;
    // Bytes of the requests that may differ, by the log line of the request.
    MaskSet masks;
};

// What the log records before an answer: when the device had what the answer
// follows, the time the log puts between the two, and how many purges the host
// makes before it reads the answer.
struct AnswerCue {
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
    std::chrono::microseconds recorded{-1};
    long purges = 0;
};

// Writes the device's answers, each when the host is ready for it: after the
// host's recorded purges (which would discard it), and after the latency asked for.
class Responder {
public:
    Responder(DevicePort& port, const DeviceOptions& options);

    void answer(const std::vector<unsigned char>& data, const AnswerCue& cue);
    // Answers that the host did not take in time.
    long unanswered() const { return unanswered_; }

private:
    void holdForPurges(const AnswerCue& cue);
    void holdForLatency(const AnswerCue& cue);

    DevicePort& port_;
    const DeviceOptions& options_;
    // The host's purges counted when the last answer went.
    long flushBase_ = 0;
    long unanswered_ = 0;
};

}  // namespace quorvex
