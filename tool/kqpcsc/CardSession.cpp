// The reader and card connection that the commands share, and one exchange with the card.
#include "CardSession.h"

#include <kq/StringUtils.h>
#include <kq/io/apdu.h>

#include <algorithm>

namespace quorvex {

using kq::io::apdu;
using kq::io::pcsc;

namespace {

std::unique_ptr<pcsc> openReaderContext(const std::string& name)
{
    try {
        return std::make_unique<pcsc>(name);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(
            kq::format("the smart-card service is not available: %s", e.what()));
    }
}

}  // namespace

void checkService()
{
    openReaderContext(kq::io::ReaderListName);
}

std::unique_ptr<pcsc> openReader(const std::string& name)
{
    auto reader = openReaderContext(name);
    const auto names = kq::io::enumeratePCSCDevices();
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        throw std::runtime_error(
            kq::format("no reader named '%s' ('kqpcsc list' shows the readers)", name.c_str()));
    }
    return reader;
}

// The reader with the card in it connected.
std::unique_ptr<pcsc> connectCard(const std::string& name)
{
    auto reader = openReader(name);
    if (!reader->isCardPresented()) {
        throw std::runtime_error(kq::format("no card in '%s'", name.c_str()));
    }
    reader->connect();
    return reader;
}

// Sends one command, with T=0 rounds when asked; prints every APDU exchanged and,
// with T=0, the joined response, which carries the verdict. Returns that response.
Bytes exchange(pcsc& reader, const Bytes& command, const Options& options, const Report& report,
               int line, const Judge& judge)
{
    const Transmit transmit = [&reader](const Bytes& bytes) {
        const apdu response =
            reader.exchange(apdu::fromBuffer(bytes.data(), static_cast<unsigned int>(bytes.size())),
                            pcsc::ExtendedResponseCapacity);
        return response.size() ? Bytes(response.raw(), response.raw() + response.size()) : Bytes();
    };
    ExchangeNote note;
    note.line = line;
    if (!options.t0) {
        const Exchange single{command, transmit(command)};
        note.verdict = judge ? judge(single.response) : "";
        report.exchange(single, note);
        return single.response;
    }
    const T0Result result = exchangeT0(transmit, command);
    for (const auto& step : result.steps) {
        report.exchange(step, note);
    }
    note.joined = true;
    note.verdict = judge ? judge(result.response) : "";
    report.exchange({command, result.response}, note);
    return result.response;
}

}  // namespace quorvex
