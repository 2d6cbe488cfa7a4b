#pragma once

#include "Atr.h"
#include "T0Exchange.h"

#include <string>

namespace quorvex {

// What an exchange line carries besides the bytes: its script line (0: none),
// whether it is the joined response of a T=0 exchange, the script's verdict.
struct ExchangeNote {
    int line = 0;
    bool joined = false;
    std::string verdict;
};

// Everything kqpcsc prints on standard output, as text for a person or, with
// --json, as one JSON object a line.
class Report {
public:
    explicit Report(bool json) : json_(json) {}

    void reader(const std::string& name) const;
    // present false: no state and no ATR.
    void status(const std::string& reader, bool present, const std::string& state,
                const Bytes& atr) const;
    // A decoded ATR (the atr command).
    void atr(const Bytes& bytes, const Atr& atr) const;
    // "-> command" and "<- data  SW xx xx"; a joined response "<= data  SW xx xx".
    void exchange(const Exchange& exchange, const ExchangeNote& note = ExchangeNote()) const;
    // A script line's verdict (text only: JSON carries it on the exchange).
    void verdict(int line, const std::string& verdict) const;
    void reset(int line) const;
    // An event of the readers; atr for a card inserted.
    void event(const std::string& event, const std::string& reader, const Bytes& atr) const;
    void waiting(const std::string& reader) const;

private:
    bool json_;
};

}  // namespace quorvex
