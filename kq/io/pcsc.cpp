#include <kq/detail/SystemError.h>
#include <kq/io/detail/pcscImpl.h>
#include <kq/io/pcsc.h>

#include <kq/StringUtils.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace kq {
namespace io {

namespace {

// The longest ATR that ISO/IEC 7816-3 allows.
const DWORD AtrCapacity = 33;
// The longest short response: 256 data bytes and SW1 SW2, with room to spare.
const unsigned int ResponseCapacity = 261;
const DWORD ReaderNameCapacity = 200;

using detail::scardErrorText;

// Highest state first: pcsc-lite may report several state bits at once.
const std::pair<DWORD, CardStatus> cardStates[] = {
    {SCARD_SPECIFIC, CardSpecific}, {SCARD_NEGOTIABLE, CardNegotiable},
    {SCARD_POWERED, CardPowered},   {SCARD_SWALLOWED, CardSwallowed},
    {SCARD_PRESENT, CardPresent},   {SCARD_ABSENT, CardAbsent},
};

CardStatus cardStatusOf(DWORD reported)
{
    for (const auto& state : cardStates) {
        if (detail::reportsState(reported, state.first)) {
            return state.second;
        }
    }
    return CardUnknown;
}

// Appends each name of a multi-string up to its first empty one.
void appendNames(const char* names, std::vector<std::string>& result)
{
    for (const char* name = names; *name != '\0'; name += std::strlen(name) + 1) {
        result.emplace_back(name);
    }
}

}  // namespace

std::string detail::scardErrorText(LONG result)
{
    return kq::format("SCard error: 0x%08X", detail::resultCode(result));
}

PcscImpl::PcscImpl(const std::string& readerName, kq::logger::ILogger& logger)
    : readerName_(readerName), logger_(logger), activeProtocol_(0), context_(0), card_(0)
{
    const LONG result = ::SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_);
    if (result != SCARD_S_SUCCESS) {
        throw std::runtime_error(scardErrorText(result));
    }
}

PcscImpl::~PcscImpl()
{
    ::SCardReleaseContext(context_);
}

bool PcscImpl::isCardPresented()
{
    SCARD_READERSTATE state{};
    state.szReader = readerName_.c_str();
    state.pvUserData = nullptr;
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    if (SCardGetStatusChange(context_, 0, &state, 1) != SCARD_S_SUCCESS) {
        return false;
    }
    return (state.dwEventState & SCARD_STATE_PRESENT) != 0;
}

void PcscImpl::connect()
{
    if (card_ != 0) {
        return;
    }
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    const LONG result = SCardConnect(context_, readerName_.c_str(), SCARD_SHARE_SHARED,
                                     SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    if (result != SCARD_S_SUCCESS) {
        kq::detail::throwServiceCallFailed("SCardConnect", scardErrorText(result));
    }
    card_ = card;
    activeProtocol_ = static_cast<std::uint32_t>(protocol);
}

void PcscImpl::disconnect()
{
    if (card_ == 0) {
        return;
    }
    ::SCardDisconnect(card_, SCARD_LEAVE_CARD);
    card_ = 0;
}

CardStatus PcscImpl::cardStatus(std::vector<unsigned char>& atr)
{
    if (card_ == 0) {
        throw std::runtime_error("not connected");
    }
    char readerName[ReaderNameCapacity];
    DWORD readerNameLength = ReaderNameCapacity;
    DWORD state = 0;
    DWORD protocol = 0;
    unsigned char atrBytes[AtrCapacity];
    DWORD atrLength = AtrCapacity;
    const LONG result =
        SCardStatus(card_, readerName, &readerNameLength, &state, &protocol, atrBytes, &atrLength);
    if (result != SCARD_S_SUCCESS) {
        kq::detail::throwServiceCallFailed("SCardStatus", scardErrorText(result));
    }
    if (atrLength != 0) {
        atr.assign(atrBytes, atrBytes + std::min(atrLength, AtrCapacity));
    }
    return cardStatusOf(state);
}

void PcscImpl::reset()
{
    if (card_ == 0) {
        throw std::runtime_error("not connected");
    }
    DWORD protocol = 0;
    const LONG result =
        ::SCardReconnect(card_, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                         SCARD_RESET_CARD, &protocol);
    if (result != SCARD_S_SUCCESS) {
        kq::detail::throwServiceCallFailed("SCardReconnect", scardErrorText(result));
    }
    activeProtocol_ = static_cast<std::uint32_t>(protocol);
}

apdu PcscImpl::exchange(const apdu& command, unsigned int responseCapacity)
{
    const DWORD capacity = responseCapacity;
    std::vector<unsigned char> response(capacity);
    DWORD length = capacity;
    const SCARD_IO_REQUEST sendProtocol{activeProtocol_,
                                        static_cast<DWORD>(sizeof(SCARD_IO_REQUEST))};
    logger_.debugHex("->", command.raw(), command.size());
    const LONG result = ::SCardTransmit(card_, &sendProtocol, command.raw(), command.size(),
                                        nullptr, response.data(), &length);
    // A failed call may report the length it would have needed.
    const auto received = static_cast<unsigned int>(std::min(length, capacity));
    logger_.debugHex("<-", response.data(), received);
    if (result != SCARD_S_SUCCESS) {
        kq::detail::throwServiceCallFailed("SCardTransmit", scardErrorText(result));
    }
    return apdu::fromBuffer(response.data(), received);
}

pcsc::pcsc(const std::string& readerName) : pcsc(readerName, kq::logger::null()) {}

pcsc::pcsc(const std::string& readerName, kq::logger::ILogger& logger)
    : impl_(new PcscImpl(readerName, logger))
{
}

pcsc::~pcsc() = default;

bool pcsc::isCardPresented()
{
    return impl_->isCardPresented();
}

void pcsc::connect()
{
    impl_->connect();
}

void pcsc::disconnect()
{
    impl_->disconnect();
}

CardStatus pcsc::cardStatus(std::vector<unsigned char>& atr)
{
    return impl_->cardStatus(atr);
}

void pcsc::reset()
{
    impl_->reset();
}

apdu pcsc::exchange(const apdu& command)
{
    return impl_->exchange(command, ResponseCapacity);
}

apdu pcsc::exchange(const apdu& command, unsigned int responseCapacity)
{
    return impl_->exchange(command, responseCapacity);
}

std::vector<std::string> enumeratePCSCDevices()
{
    std::vector<std::string> readers;
    SCARDCONTEXT context = 0;
    if (::SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS) {
        return readers;
    }
    char* names = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    if (SCardListReaders(context, nullptr, reinterpret_cast<char*>(&names), &length) ==
        SCARD_S_SUCCESS) {
        appendNames(names, readers);
        ::SCardFreeMemory(context, names);
    }
    ::SCardReleaseContext(context);
    return readers;
}

}  // namespace io
}  // namespace kq
