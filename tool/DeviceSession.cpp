#include "DeviceSession.h"

#include "Console.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

namespace quorvex {

namespace {

std::string hex(const std::vector<unsigned char>& bytes)
{
    return kq::NumberFormatter::buffer2stringU(bytes.data(),
                                               static_cast<unsigned int>(bytes.size()));
}

// Collects up to the expected count; stops early when the host falls silent.
std::vector<unsigned char> receiveBlock(DevicePort& port, std::size_t count,
                                        std::chrono::milliseconds timeout)
{
    std::vector<unsigned char> block(count);
    std::size_t got = 0;
    const Deadline deadline(timeout);
    while (got < count && !deadline.passed())
        got += port.read(block.data() + got, count - got, deadline.left());
    block.resize(got);
    return block;
}

bool expectBlock(DevicePort& port, const std::vector<unsigned char>& expected,
                 std::chrono::milliseconds timeout)
{
    const auto arrived = receiveBlock(port, expected.size(), timeout);
    const long count = static_cast<long>(expected.size());
    if (arrived == expected) {
        print(kq::format("expect %ld bytes: match\n", count));
        return true;
    }
    print(kq::format("expect %ld bytes: MISMATCH expected %s received %s\n", count,
                     hex(expected).c_str(), hex(arrived).c_str()));
    return false;
}

void discardInput(DevicePort& port)
{
    unsigned char scratch[256];
    long discarded = 0;
    while (const std::size_t n = port.read(scratch, sizeof scratch, std::chrono::milliseconds(0)))
        discarded += static_cast<long>(n);
    print(kq::format("purge: %ld bytes discarded\n", discarded));
}

void answer(DevicePort& port, const std::vector<unsigned char>& data)
{
    port.write(data);
    print(kq::format("answer %ld bytes: %s\n", static_cast<long>(data.size()), hex(data).c_str()));
}

}  // namespace

bool serveDump(PortMonReader& reader, DevicePort& port, std::chrono::milliseconds blockTimeout)
{
    long expected = 0;
    long matched = 0;
    while (const PortMonAction* action = reader.next()) {
        switch (action->kind) {
            case ActionKind::Send:
                ++expected;
                matched += expectBlock(port, action->data, blockTimeout) ? 1 : 0;
                break;
            case ActionKind::Recv:
                answer(port, action->data);
                break;
            case ActionKind::Purge:
                discardInput(port);
                break;
            case ActionKind::None:
                break;
        }
    }
    port.awaitHostClose(blockTimeout);
    print(kq::format("summary: %ld of %ld expected blocks matched\n", matched, expected));
    return matched == expected;
}

}  // namespace quorvex
