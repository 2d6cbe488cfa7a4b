#pragma once

#include <kq/export.h>
#include <kq/io/apdu.h>
#include <kq/logger/Logger.h>

#include <cstdint>
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

// The pseudo-reader whose state changes when a reader comes or goes. Both services
// know it; pcsc-lite reports it only when the list changes during the wait, not
// at once for a first report.
inline constexpr const char* ReaderListName = "\\\\?PnP?\\Notification";

// One reader as the service's status change last reported it.
struct ReaderState {
    ReaderState() = default;
    explicit ReaderState(const std::string& name) : reader(name) {}

    std::string reader;
    // The service's state bits (SCARD_STATE_*; pcsc-lite keeps an event counter in
    // the top 16 bits); 0 before the first report, which for a reader then comes
    // at once.
    std::uint32_t serviceState = 0;
    // A card is in the reader; its ATR then, empty otherwise.
    bool present = false;
    std::vector<unsigned char> atr;
    // The service does not know the reader (any more), or cannot reach it.
    bool gone = false;
    // The last report differs from the state the wait was given.
    bool changed = false;
};

// No time limit for waitForReaderChange.
constexpr unsigned int InfiniteTimeout = 0xFFFFFFFF;

// Waits up to timeoutMs until the state of one of the readers differs from the
// serviceState it holds (a card came or went, a reader came or went), then updates
// every entry and returns true; false on time-out, entries untouched. Throws
// std::runtime_error: "SCard error: 0x%08X" when the service is not reachable,
// "::SCardGetStatusChange() failed: %s" otherwise (a reader it does not know:
// SCard error 0x80100009), std::invalid_argument for an empty list.
KQ_API bool waitForReaderChange(std::vector<ReaderState>& readers, unsigned int timeoutMs);

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
    // Resets the connected card (warm reset) and stays connected; throws "not
    // connected" without a connection, "::SCardReconnect() failed: %s" on failure.
    void reset();
    // Sends one command and returns the card's response, of up to 261 bytes.
    apdu exchange(const apdu& command);
    // The same with room for a response of up to responseCapacity bytes:
    // ExtendedResponseCapacity takes any extended-length answer. A longer answer
    // throws with SCard error 0x80100008; the card has then run the command.
    apdu exchange(const apdu& command, unsigned int responseCapacity);
    static constexpr unsigned int ExtendedResponseCapacity = 65538;

private:
    std::unique_ptr<PcscImpl> impl_;
};

}  // namespace io
}  // namespace kq
