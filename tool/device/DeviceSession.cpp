#include "DeviceSession.h"

#include "common/Console.h"
#include "common/Deadline.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

namespace {

// How long to wait at a time, so that the host's reading is noticed while it happens.
const std::chrono::milliseconds activityCheck(100);

class Session {
public:
    Session(DevicePort& port, std::chrono::milliseconds timeout, const MaskSet& masks,
            std::vector<RequestRecord>* requests)
        : port_(port), timeout_(timeout), idle_(timeout), masks_(masks), requests_(requests)
    {
    }

    // The host's first act: the time-out counts from here on.
    void hostOpened() { idle_.restart(timeout_); }

    void perform(const PortMonAction& action)
    {
        // The device has no line settings to follow: those actions pass.
        if (action.kind == ActionKind::Send)
            expectBlock(action);
        else if (action.kind == ActionKind::Recv)
            answer(action.data);
        else if (action.kind == ActionKind::Purge)
            discardInput();
    }

    bool summarize() const
    {
        print(kq::format("summary: %ld of %ld expected blocks matched", matched_, expected_) +
              (unanswered_ ? kq::format(", %ld answers not taken", unanswered_) : "") + "\n");
        return matched_ == expected_ && unanswered_ == 0;
    }

    void countRestAsMissed(PortMonReader& reader)
    {
        while (const PortMonAction* action = reader.next())
            expected_ += action->kind == ActionKind::Send ? 1 : 0;
    }

private:
    // Collects up to the expected count; stops early when the host falls silent.
    std::vector<unsigned char> receiveBlock(std::size_t count)
    {
        std::vector<unsigned char> block(count);
        std::size_t got = 0;
        while (got < count && !idle_.passed()) {
            const std::size_t n =
                port_.read(block.data() + got, count - got, std::min(idle_.left(), activityCheck));
            got += n;
            if (n > 0 || port_.hostActed())
                idle_.restart(timeout_);
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
        if (requests_)
            requests_->push_back(RequestRecord{action.line, expected, arrived,
                                               masked ? mask->second.text() : "", matched});
        if (matched) {
            ++matched_;
            print(kq::format("expect %ld bytes: match\n", count));
            return;
        }
        print(kq::format("expect %ld bytes: MISMATCH expected %s received %s\n", count,
                         hex(expected).c_str(), hex(arrived).c_str()));
    }

    void discardInput()
    {
        unsigned char scratch[256];
        long discarded = 0;
        try {
            while (const std::size_t n =
                       port_.read(scratch, sizeof scratch, std::chrono::milliseconds(0)))
                discarded += static_cast<long>(n);
        } catch (const HostGone&) {
            // A host that purged last and closed the port left nothing to discard.
        }
        print(kq::format("purge: %ld bytes discarded\n", discarded));
    }

    // A host that does not read would otherwise hold the device in its write for ever.
    void answer(const std::vector<unsigned char>& data)
    {
        const std::size_t written = port_.write(data, timeout_);
        const long count = static_cast<long>(data.size());
        if (written == data.size()) {
            print(kq::format("answer %ld bytes: %s\n", count, hex(data).c_str()));
            return;
        }
        ++unanswered_;
        print(kq::format("answer %ld bytes: only %ld taken, the host did not read in time\n", count,
                         static_cast<long>(written)));
    }

    DevicePort& port_;
    const std::chrono::milliseconds timeout_;
    Deadline idle_;
    const MaskSet& masks_;
    std::vector<RequestRecord>* requests_;
    long expected_ = 0;
    long matched_ = 0;
    long unanswered_ = 0;
};

}  // namespace

bool serveDump(PortMonReader& reader, DevicePort& port, std::chrono::milliseconds timeout,
               const MaskSet& masks, std::vector<RequestRecord>* requests)
{
    Session session(port, timeout, masks, requests);
    bool served = true;
    try {
        if (!port.awaitHostOpen(timeout))
            throw HostGone("did not open the port");
        session.hostOpened();
        while (const PortMonAction* action = reader.next())
            session.perform(*action);
        port.awaitHostClose(timeout);
    } catch (const HostGone& e) {
        print(kq::format("host: %s\n", e.what()));
        session.countRestAsMissed(reader);
        served = false;
    }
    return session.summarize() && served;
}

}  // namespace quorvex
