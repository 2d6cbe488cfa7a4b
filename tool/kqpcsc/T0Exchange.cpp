#include "T0Exchange.h"

#include <kq/StringUtils.h>

#include <cstddef>
#include <stdexcept>

namespace quorvex {

namespace {

// 256 rounds of 256 bytes cover the longest response; a card that asks for more loops.
const int MaxRounds = 257;

unsigned char sw1(const Bytes& response)
{
    return response.size() < 2 ? 0 : response[response.size() - 2];
}

Bytes getResponse(unsigned char le)
{
    return {0x00, 0xC0, 0x00, 0x00, le};
}

}  // namespace

Bytes withLe(const Bytes& command, unsigned char le)
{
    Bytes result = command;
    const std::size_t size = command.size();
    const std::size_t lc = size > 4 ? command[4] : 0;
    if (size == 4 || (lc > 0 && size == 5 + lc)) {
        result.push_back(le);
    } else if (size == 5 || (lc > 0 && size == 6 + lc)) {
        result.back() = le;
    } else {
        result.clear();
    }
    return result;
}

T0Result exchangeT0(const Transmit& transmit, const Bytes& command)
{
    T0Result result;
    Bytes next = command;
    bool resent = false;
    for (int round = 0; round < MaxRounds; ++round) {
        const Bytes response = transmit(next);
        result.steps.push_back({next, response});
        const Bytes again =
            sw1(response) == 0x6C && !resent ? withLe(next, response.back()) : Bytes{};
        if (!again.empty()) {
            next = again;
            resent = true;
            continue;
        }
        const std::size_t data = response.size() < 2 ? 0 : response.size() - 2;
        result.response.insert(result.response.end(), response.begin(), response.begin() + data);
        if (sw1(response) != 0x61) {
            result.response.insert(result.response.end(), response.begin() + data, response.end());
            return result;
        }
        next = getResponse(response.back());
        resent = false;
    }
    throw std::runtime_error(
        kq::format("the card still answers 61xx after %d GET RESPONSE rounds", MaxRounds - 1));
}

}  // namespace quorvex
