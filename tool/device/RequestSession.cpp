#include "DeviceSession.h"
#include "RequestMatcher.h"

#include "common/Console.h"
#include "common/Deadline.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes that start no request wait this long for more before they are unknown.
const std::chrono::milliseconds requestPause(200);
// How long to wait at a time, so that the pause is noticed while it happens.
const std::chrono::milliseconds readCheck(50);

struct RecordedAnswer {
    Bytes bytes;
    long purges = 0;
    std::chrono::microseconds delay{-1};
};

// A request of the log and what the log answered to it, each time it came.
struct Rule {
    Bytes request;
    std::vector<RecordedAnswer> answers;
    std::size_t next = 0;
};

// The reads after a write, up to the next write, are its answer; purges
// before the first read are the host's, made before it read the answer.
std::vector<Rule> rulesOf(const LoadedDump& dump)
{
    std::vector<Rule> rules;
    RecordedAnswer* open = nullptr;
    const PortMonAction* request = nullptr;
    for (const PortMonAction& action : dump.actions) {
        if (action.kind == ActionKind::Send) {
            open = nullptr;
            if (action.data.empty()) {
                continue;
            }
            auto rule = std::find_if(rules.begin(), rules.end(),
                                     [&](const Rule& r) { return r.request == action.data; });
            if (rule == rules.end()) {
                rule = rules.insert(rules.end(), Rule{action.data, {}, 0});
            }
            rule->answers.emplace_back();
            open = &rule->answers.back();
            request = &action;
        } else if (open && action.kind == ActionKind::Recv && !action.data.empty()) {
            if (open->bytes.empty()) {
                open->delay = recordedDelay(*request, action, dump.elapsed);
            }
            open->bytes.insert(open->bytes.end(), action.data.begin(), action.data.end());
        } else if (open && action.kind == ActionKind::Purge && open->bytes.empty()) {
            ++open->purges;
        }
    }
    return rules;
}

std::vector<Bytes> requestsOf(const std::vector<Rule>& rules)
{
    std::vector<Bytes> requests;
    for (const Rule& rule : rules) {
        requests.push_back(rule.request);
    }
    return requests;
}

class RequestSession {
public:
    RequestSession(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options)
        : port_(port),
          options_(options),
          rules_(rulesOf(dump)),
          matcher_(requestsOf(rules_)),
          responder_(port, options)
    {
    }

    // Until the host stays silent for the time-out; HostGone when it closes the port.
    void serve()
    {
        Deadline idle(options_.timeout);
        Clock::time_point lastByte = Clock::now();
        unsigned char buffer[4096];
        while (!idle.passed()) {
            const std::size_t n =
                port_.read(buffer, sizeof buffer, std::min(idle.left(), readCheck));
            if (n > 0) {
                matcher_.feed(buffer, n);
                lastByte = Clock::now();
            }
            if (n > 0 || port_.hostActed()) {
                idle.restart(options_.timeout);
            }
            Found found;
            while (matcher_.next(found, Clock::now() - lastByte >= requestPause)) {
                take(found, lastByte, true);
            }
        }
    }

    // What the host sent last, when it can no longer be answered.
    void finish()
    {
        Found found;
        while (matcher_.next(found, true)) {
            take(found, Clock::now(), false);
        }
    }

    bool summarize() const
    {
        const long unanswered = responder_.unanswered();
        print(kq::format("summary: %ld requests answered, %ld unknown", answered_, unknown_) +
              (unanswered ? kq::format(", %ld answers not taken", unanswered) : "") + "\n");
        return unknown_ == 0 && unanswered == 0;
    }

private:
    // The next answer recorded for the request; after the last, the last again.
    void take(const Found& found, Clock::time_point arrived, bool answering)
    {
        AnswerCue cue;
        cue.since = arrived;
        if (found.request < 0) {
            ++unknown_;
            print(kq::format("unknown request %s\n", hex(found.bytes).c_str()));
            if (answering && options_.hasDefault) {
                responder_.answer(options_.defaultAnswer, cue);
            }
            return;
        }
        ++answered_;
        Rule& rule = rules_[static_cast<std::size_t>(found.request)];
        const RecordedAnswer& answer = rule.answers[std::min(rule.next++, rule.answers.size() - 1)];
        print(kq::format("request %s\n", hex(found.bytes).c_str()));
        cue.recorded = answer.delay;
        cue.purges = answer.purges;
        if (answering && !answer.bytes.empty()) {
            responder_.answer(answer.bytes, cue);
        }
    }

    DevicePort& port_;
    const DeviceOptions& options_;
    std::vector<Rule> rules_;
    RequestMatcher matcher_;
    Responder responder_;
    long answered_ = 0;
    long unknown_ = 0;
};

}  // namespace

bool serveRequests(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options)
{
    RequestSession session(dump, port, options);
    bool served = true;
    try {
        if (!port.awaitHostOpen(options.timeout)) {
            throw HostGone("did not open the port");
        }
        session.serve();
    } catch (const HostGone& e) {
        session.finish();
        // Closing the port is how a host ends; only one that never came failed.
        if (!port.awaitHostOpen(std::chrono::milliseconds(0))) {
            print(kq::format("host: %s\n", e.what()));
            served = false;
        }
    }
    return session.summarize() && served;
}

}  // namespace quorvex
