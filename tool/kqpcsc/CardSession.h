#pragma once

#include "Commands.h"
#include "Report.h"
#include "T0Exchange.h"

#include <kq/io/pcsc.h>

#include <functional>
#include <memory>
#include <string>

namespace quorvex {

// Throws when the smart-card service cannot be reached.
void checkService();
// The reader, once the service is reachable and knows it.
std::unique_ptr<kq::io::pcsc> openReader(const std::string& name);
// The same with the card in it connected.
std::unique_ptr<kq::io::pcsc> connectCard(const std::string& name);

// The verdict on a response, empty for none.
using Judge = std::function<std::string(const Bytes& response)>;

// Sends one command, with T=0 rounds when asked; prints every APDU exchanged and,
// with T=0, the joined response, which carries the verdict (line 0: not from a
// script). Returns the (joined) response.
Bytes exchange(kq::io::pcsc& reader, const Bytes& command, const Options& options,
               const Report& report, int line, const Judge& judge);

}  // namespace quorvex
