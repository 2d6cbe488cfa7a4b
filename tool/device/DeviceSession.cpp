#include "DeviceSession.h"

#include "common/Console.h"
#include "common/Deadline.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

namespace {

using Clock = std::chrono::steady_clock;

// How long to wait at a time, so that the host's reading is noticed while it happens.
const std::chrono::milliseconds activityCheck(100);

class Session {
public:
    Session(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options,
            std::vector<RequestRecord>* requests)
        : dump_(dump),
          port_(port),
          timeout_(options.timeout),
          idle_(timeout_),
          masks_(options.masks),
          requests_(requests),
          responder_(port, options)
    {
    }

    // The host's first act: the time-out counts from here on.
    void hostOpened() { idle_.restart(timeout_); }

    void perform(std::size_t index)
    {
        const PortMonAction& action = dump_.actions[index];
        next_ = index + 1;
        // The device has no line settings to follow: those actions pass.
        if (action.kind == ActionKind::Send) {
            expectBlock(action);
            done(index);
            purgesAfterRequest_ = false;
        } else if (action.kind == ActionKind::Recv) {
            responder_.answer(action.data, cue(action));
            done(index);
            purges_ = action.data.empty() ? purges_ : 0;
        } else if (action.kind == ActionKind::Purge) {
            ++purges_;
            purgesAfterRequest_ = true;
            print("purge: the host's own\n");
        }
    }

    bool summarize() const
    {
        const long unanswered = responder_.unanswered();
        print(kq::format("summary: %ld of %ld expected blocks matched", matched_, expected_) +
              (unanswered ? kq::format(", %ld answers not taken", unanswered) : "") + "\n");
        return matched_ == expected_ && unanswered == 0;
    }

    void countRestAsMissed()
    {
        expected_ += std::count_if(
            dump_.actions.begin() + static_cast<long>(next_), dump_.actions.end(),
            [](const PortMonAction& action) { return action.kind == ActionKind::Send; });
    }

private:
    void done(std::size_t index)
    {
        last_ = &dump_.actions[index];
        lastAt_ = Clock::now();
    }

    // The host's purges since the last answer that was not empty count when some
    // follow the request.
    AnswerCue cue(const PortMonAction& answer) const
    {
        AnswerCue cue;
        cue.since = lastAt_;
        if (last_) {
            cue.recorded = recordedDelay(*last_, answer, dump_.elapsed);
        }
        cue.purges = purgesAfterRequest_ ? purges_ : 0;
        return cue;
    }

    // Collects up to the expected count; stops early when the host falls silent.
    std::vector<unsigned char> receiveBlock(std::size_t count)
    {
        std::vector<unsigned char> block(count);
        std::size_t got = 0;
        while (got < count && !idle_.passed()) {
            const std::size_t n =
                port_.read(block.data() + got, count - got, std::min(idle_.left(), activityCheck));
            got += n;
            if (n > 0 || port_.hostActed()) {
                idle_.restart(timeout_);
            }
        }
        block.resize(got);
        return block;
    }

    void expectBlock(const PortMonAction& action)
    {
        ++expected_;
        const std::vector<unsigned char>& expected = action.data;
        const auto arrived = receiveBlock(expected.size());
        const long count = static_cast<long>(expected.size());
        const auto mask = masks_.find(action.line);
        const bool masked = mask != masks_.end();
        const bool matched = masked ? mask->second.matches(arrived) : arrived == expected;
        if (requests_) {
            requests_->push_back(RequestRecord{action.line, expected, arrived,
                                               masked ? mask->second.text() : "", matched});
        }
        if (matched) {
            ++matched_;
            print(kq::format("expect %ld bytes: match\n", count));
            return;
        }
        print(kq::format("expect %ld bytes: MISMATCH expected %s received %s\n", count,
                         hex(expected).c_str(), hex(arrived).c_str()));
    }

    const LoadedDump& dump_;
    DevicePort& port_;
    const std::chrono::milliseconds timeout_;
    Deadline idle_;
    const MaskSet& masks_;
    std::vector<RequestRecord>* requests_;
    Responder responder_;
    long expected_ = 0;
    long matched_ = 0;
    // The last request or answer, and when the device had it.
    const PortMonAction* last_ = nullptr;
    Clock::time_point lastAt_ = Clock::now();
    std::size_t next_ = 0;
    long purges_ = 0;
    bool purgesAfterRequest_ = false;
};

}  // namespace

LoadedDump loadDump(PortMonReader& reader)
{
    LoadedDump dump;
    while (const PortMonAction* action = reader.next()) {
        dump.actions.push_back(*action);
    }
    dump.elapsed = reader.elapsedReading();
    return dump;
}

bool serveDump(const LoadedDump& dump, DevicePort& port, const DeviceOptions& options,
               std::vector<RequestRecord>* requests)
{
    Session session(dump, port, options, requests);
    bool served = true;
    try {
        if (!port.awaitHostOpen(options.timeout)) {
            throw HostGone("did not open the port");
        }
        session.hostOpened();
        for (std::size_t at = 0; at < dump.actions.size(); ++at) {
            session.perform(at);
        }
        port.awaitHostClose(options.timeout);
    } catch (const HostGone& e) {
        print(kq::format("host: %s\n", e.what()));
        session.countRestAsMissed();
        served = false;
    }
    return session.summarize() && served;
}

}  // namespace quorvex
