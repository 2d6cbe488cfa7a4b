#pragma once

#include <kq/io/apdu.h>
#include <kq/io/detail/pcscWinSCard.h>
#include <kq/io/pcsc.h>
#include <kq/logger/Logger.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kq {
namespace io {

namespace detail {

// A result code as "SCard error: 0x%08X".
std::string scardErrorText(LONG result);

}  // namespace detail

// The service context behind pcsc and, while connected, the card handle.
// The same code serves WinSCard and pcsc-lite.
class PcscImpl {
public:
    // Establishes the context or throws.
    PcscImpl(const std::string& readerName, kq::logger::ILogger& logger);
    ~PcscImpl();

    PcscImpl(const PcscImpl&) = delete;
    PcscImpl& operator=(const PcscImpl&) = delete;

    bool isCardPresented();
    void connect();
    void disconnect();
    CardStatus cardStatus(std::vector<unsigned char>& atr);
    void reset();
    apdu exchange(const apdu& command, unsigned int responseCapacity);

private:
    std::string readerName_;
    kq::logger::ILogger& logger_;
    std::uint32_t activeProtocol_;
    SCARDCONTEXT context_;
    SCARDHANDLE card_;
};

}  // namespace io
}  // namespace kq
