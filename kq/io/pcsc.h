#pragma once

#include <kq/export.h>
#include <kq/io/apdu.h>
#include <kq/logger/Logger.h>

#include <memory>
#include <string>
#include <vector>

namespace kq {
namespace io {

// State of a connected card, numbered as WinSCard's SCardStatus reports it.
enum CardStatus {
    CardUnknown = 0,
    CardAbsent = 1,
    CardPresent = 2,
    CardSwallowed = 3,
    CardPowered = 4,
    CardNegotiable = 5,
    CardSpecific = 6
};

// Names of the readers the PC/SC service knows, in its order; empty on any failure.
KQ_API std::vector<std::string> enumeratePCSCDevices();

class PcscImpl;

// One smart-card reader of the PC/SC service (WinSCard; pcsc-lite on Linux).
// Failures throw std::runtime_error with the service's code as
// "SCard error: 0x%08X". Used from one thread at a time.
class KQ_API pcsc {
public:
    explicit pcsc(const std::string& readerName);
    // The logger must outlive this object; it gets every exchange in hex at level 1.
    pcsc(const std::string& readerName, kq::logger::ILogger& logger);
    ~pcsc();

    pcsc(const pcsc&) = delete;
    pcsc& operator=(const pcsc&) = delete;

    // Whether a card is in the reader; false when the service cannot tell.
    bool isCardPresented();
    // Shared connection with T=0 or T=1; does nothing when already connected.
    void connect();
    // Leaves the card as it is; does nothing when not connected.
    void disconnect();
    // The connected card's state; its ATR (up to 33 bytes) replaces atr.
    CardStatus cardStatus(std::vector<unsigned char>& atr);
    // Sends one command and returns the card's response.
    apdu exchange(const apdu& command);

private:
    std::unique_ptr<PcscImpl> impl_;
};

}  // namespace io
}  // namespace kq
