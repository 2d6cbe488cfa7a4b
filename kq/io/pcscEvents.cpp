#include <kq/detail/SystemError.h>
#include <kq/io/detail/pcscImpl.h>
#include <kq/io/pcsc.h>

#include <algorithm>
#include <stdexcept>

namespace kq {
namespace io {

namespace {

// A context for one wait: the caller's states carry what was seen between calls.
class WaitContext {
public:
    WaitContext()
    {
        const LONG result = ::SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_);
        if (result != SCARD_S_SUCCESS) {
            throw std::runtime_error(detail::scardErrorText(result));
        }
    }
    ~WaitContext() { ::SCardReleaseContext(context_); }
    WaitContext(const WaitContext&) = delete;
    WaitContext& operator=(const WaitContext&) = delete;
    SCARDCONTEXT get() const { return context_; }

private:
    SCARDCONTEXT context_ = 0;
};

void update(ReaderState& reader, const SCARD_READERSTATE& reported)
{
    reader.serviceState = static_cast<std::uint32_t>(reported.dwEventState);
    reader.present = (reported.dwEventState & SCARD_STATE_PRESENT) != 0;
    reader.gone = (reported.dwEventState & (SCARD_STATE_UNKNOWN | SCARD_STATE_UNAVAILABLE)) != 0;
    reader.changed = (reported.dwEventState & SCARD_STATE_CHANGED) != 0;
    const auto atrLength = std::min<std::size_t>(reported.cbAtr, sizeof reported.rgbAtr);
    if (reader.present) {
        reader.atr.assign(reported.rgbAtr, reported.rgbAtr + atrLength);
    } else {
        reader.atr.clear();
    }
}

}  // namespace

bool waitForReaderChange(std::vector<ReaderState>& readers, unsigned int timeoutMs)
{
    if (readers.empty()) {
        throw std::invalid_argument("no readers to wait for");
    }
    WaitContext context;
    std::vector<SCARD_READERSTATE> states(readers.size());
    for (std::size_t i = 0; i < readers.size(); ++i) {
        states[i].szReader = readers[i].reader.c_str();
        states[i].dwCurrentState = readers[i].serviceState & ~DWORD{SCARD_STATE_CHANGED};
    }
    const LONG result = SCardGetStatusChange(context.get(), timeoutMs, states.data(),
                                             static_cast<DWORD>(states.size()));
    if (result == static_cast<LONG>(SCARD_E_TIMEOUT)) {
        return false;
    }
    if (result != SCARD_S_SUCCESS) {
        kq::detail::throwServiceCallFailed("SCardGetStatusChange", detail::scardErrorText(result));
    }
    for (std::size_t i = 0; i < readers.size(); ++i) {
        update(readers[i], states[i]);
    }
    return true;
}

}  // namespace io
}  // namespace kq
