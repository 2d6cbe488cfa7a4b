#pragma once

#include <functional>
#include <vector>

namespace quorvex {

using Bytes = std::vector<unsigned char>;

// One command APDU sent and the response received (data and SW1 SW2).
struct Exchange {
    Bytes command;
    Bytes response;
};

// Sends one command APDU, returns the response.
using Transmit = std::function<Bytes(const Bytes& command)>;

// What a T=0 exchange took: every APDU exchanged, and the response they add up to
// (the data of every round joined, then the last SW1 SW2).
struct T0Result {
    std::vector<Exchange> steps;
    Bytes response;
};

// Sends the command and follows a T=0 card's answers: 61 xx is followed by GET
// RESPONSE (00 C0 00 00 xx) until the card answers otherwise; 6C xx makes it send
// the same command again, once, with Le = xx. Throws std::runtime_error when the
// card still answers 61 xx after more rounds than any response needs.
T0Result exchangeT0(const Transmit& transmit, const Bytes& command);

// A short command APDU with its Le set to le (added to cases 1 and 3); empty when
// the command is not a short one.
Bytes withLe(const Bytes& command, unsigned char le);

}  // namespace quorvex
