#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace kqtest {

class Process;
class TempDir;

// A pcscd of this test process alone, with the vpcd virtual reader driver
// and its two readers, and virtual cards to put into them (Linux only; the
// Windows build has no service to start and throws).
//
// pcscd runs in private mount and network namespaces: its pid file goes to a
// /run of its own and the readers' fixed TCP ports exist only in its own
// network, so test runs side by side never meet, nor meet the machine's
// pcscd. The PC/SC client of this process reaches it through a socket whose
// path includes this process's PID. One service at a time per process.
class PcscService {
public:
    static constexpr const char* Reader = "Virtual PCD 00 00";
    static constexpr const char* SecondReader = "Virtual PCD 00 01";

    // Returns once the service lists its readers.
    PcscService();
    // Stops the cards and pcscd by their PIDs.
    ~PcscService();
    PcscService(const PcscService&) = delete;
    PcscService& operator=(const PcscService&) = delete;

    // Inserts a card with this ATR (hex) into the reader and returns once the
    // service reports it present. The card answers a command (short or extended)
    // with its data field, then Le bytes counting from 01, then 90 00; INS 00
    // gets 6D 00, INS FE 300 bytes (more than a short response holds). As a T=0
    // card would, GET DATA (CA) answers 61xx for P1 P2 bytes that GET RESPONSE
    // (C0) then hands out, and READ RECORD (B2) answers 6C10 unless Le is 10.
    void insertCard(const std::string& reader, const std::string& atrHex);
    // Removes the card and returns once the service reports the reader empty.
    void removeCard(const std::string& reader);
    // Whether a connection of its own gets the card exclusively, which it
    // does only when no other connection holds it.
    bool cardIsFree(const std::string& reader) const;

private:
    void waitForCard(const std::string& reader, bool present) const;

    std::unique_ptr<TempDir> config_;
    std::unique_ptr<Process> pcscd_;
    std::map<std::string, std::unique_ptr<Process>> cards_;
};

// Each case against a service of its own.
class PcscServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "Wine's winscard is a stub: it reaches no service, and SCardConnect, "
                        "SCardTransmit and SCardGetStatusChange abort the process";
#else
        service_ = std::make_unique<PcscService>();
#endif
    }

    std::unique_ptr<PcscService> service_;
};

// Points this process's PC/SC client at the socket of its private service,
// whether one runs or not, so that no test reaches the machine's pcscd.
// pcsc-lite reads the setting at its first call: call it before any.
void usePrivatePcscService();

}  // namespace kqtest
