#include "support/PcscService.h"

#include "support/Process.h"
#include "support/TempDir.h"

#include <PCSC/winscard.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kqtest {

namespace {

const std::chrono::milliseconds patience(10000);
// vpcd's first reader listens on this port, the second one on the next.
const int ReaderPort = 35963;

std::string socketPath()
{
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("kqtest-pcscd-" + std::to_string(::getpid()) + ".comm"))
                                        .string();
    return path;
}

std::string readerConfig()
{
    char port[16];
    std::snprintf(port, sizeof port, "0x%X", ReaderPort);
    return std::string("FRIENDLYNAME \"Virtual PCD\"\n") + "DEVICENAME /dev/null:" + port +
           "\nLIBPATH " KQ_VPCD_DRIVER "\nCHANNELID " + port + "\n";
}

int portOf(const std::string& reader)
{
    if (reader == PcscService::Reader) {
        return ReaderPort;
    }
    if (reader == PcscService::SecondReader) {
        return ReaderPort + 1;
    }
    throw std::invalid_argument("no virtual reader named " + reader);
}

std::string scardError(const char* call, LONG result)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s: 0x%08X", call, static_cast<unsigned>(result));
    return text;
}

// A context of the test's own, next to the one of the code under test.
class Context {
public:
    Context()
    {
        const LONG result = ::SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_);
        if (result != SCARD_S_SUCCESS) {
            throw std::runtime_error(scardError("SCardEstablishContext", result));
        }
    }
    ~Context() { ::SCardReleaseContext(context_); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    SCARDCONTEXT get() const { return context_; }

private:
    SCARDCONTEXT context_ = 0;
};

}  // namespace

PcscService::PcscService() : config_(new TempDir)
{
    usePrivatePcscService();
    config_->writeFile("vpcd", readerConfig());
    pcscd_.reset(new Process(programPath("kqtest_pcscd"),
                             {KQ_PCSCD, socketPath(), config_->path().string()}));
    std::string line;
    while (line != "listening") {
        if (!pcscd_->readLine(line, patience)) {
            throw std::runtime_error("pcscd did not start: " + pcscd_->err());
        }
    }
    // pcscd serves the socket once it has set up the readers of its configuration.
    Context context;
    DWORD length = 0;
    const LONG result = SCardListReaders(context.get(), nullptr, nullptr, &length);
    if (result != SCARD_S_SUCCESS) {
        throw std::runtime_error(scardError("SCardListReaders", result) + "\n" + pcscd_->out());
    }
}

PcscService::~PcscService()
{
    cards_.clear();
    pcscd_.reset();
    std::remove(socketPath().c_str());
}

void PcscService::insertCard(const std::string& reader, const std::string& atrHex)
{
    auto& card = cards_[reader];
    card.reset(new Process(programPath("kqtest_vcard"), {std::to_string(pcscd_->pid()),
                                                         std::to_string(portOf(reader)), atrHex}));
    waitForCard(reader, true);
}

void PcscService::removeCard(const std::string& reader)
{
    cards_.erase(reader);
    waitForCard(reader, false);
}

bool PcscService::cardIsFree(const std::string& reader) const
{
    Context context;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    const LONG result = SCardConnect(context.get(), reader.c_str(), SCARD_SHARE_EXCLUSIVE,
                                     SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    if (result == SCARD_S_SUCCESS) {
        ::SCardDisconnect(card, SCARD_LEAVE_CARD);
    }
    return result == SCARD_S_SUCCESS;
}

// Follows the service's own status changes of the reader until it reports the state.
void PcscService::waitForCard(const std::string& reader, bool present) const
{
    Context context;
    SCARD_READERSTATE state{};
    state.szReader = reader.c_str();
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const LONG result = SCardGetStatusChange(
            context.get(), static_cast<DWORD>(std::max<long long>(left.count(), 0)), &state, 1);
        if (result != SCARD_S_SUCCESS) {
            const auto card = cards_.find(reader);
            throw std::runtime_error(
                scardError("SCardGetStatusChange", result) + " waiting for the card in " + reader +
                (card == cards_.end() ? "" : "; the card said: " + card->second->err()));
        }
        if (((state.dwEventState & SCARD_STATE_PRESENT) != 0) == present) {
            return;
        }
        state.dwCurrentState = state.dwEventState & ~SCARD_STATE_CHANGED;
    }
}

void usePrivatePcscService()
{
    ::setenv("PCSCLITE_CSOCK_NAME", socketPath().c_str(), 1);
}

}  // namespace kqtest
