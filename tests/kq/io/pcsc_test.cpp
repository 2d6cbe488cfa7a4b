#include <kq/NumberFormatter.h>
#include <kq/io/pcsc.h>
#include <kq/logger/Logger.h>

#include "kq/logger/LogTest.h"
#include "support/PcscService.h"
#include "support/TestLogger.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace kq::io;
using kqtest::PcscService;
using kqtest::thrownBy;

namespace {

using Bytes = std::vector<unsigned char>;

// Four bytes, protocol T=0.
const char* const ShortAtr = "3B021450";
// Twenty bytes, protocol T=1.
const char* const LongAtr = "3B8F8001804F0CA000000306030001000000006A";

Bytes hex(const std::string& text)
{
    return kq::NumberFormatter::string2buffer(text);
}

std::vector<std::string> messages(const kqtest::RecordingChannel& channel)
{
    std::vector<std::string> result;
    for (const auto& write : channel.writes)
        result.push_back(write.second);
    return result;
}

// Every case runs against a pcscd of its own with the virtual reader.
using Pcsc = kqtest::PcscServiceTest;

TEST_F(Pcsc, ListsTheReadersOfTheService)
{
    EXPECT_EQ(enumeratePCSCDevices(),
              (std::vector<std::string>{PcscService::Reader, PcscService::SecondReader}));
}

TEST_F(Pcsc, TellsWhetherACardIsInTheReader)
{
    pcsc reader(PcscService::Reader);
    EXPECT_FALSE(reader.isCardPresented());
    service_->insertCard(PcscService::Reader, ShortAtr);
    EXPECT_TRUE(reader.isCardPresented());
    EXPECT_FALSE(pcsc(PcscService::SecondReader).isCardPresented());
    EXPECT_FALSE(pcsc("No Such Reader 00 00").isCardPresented());
    service_->removeCard(PcscService::Reader);
    EXPECT_FALSE(reader.isCardPresented());
}

TEST_F(Pcsc, ConnectingTwiceMakesOneConnection)
{
    service_->insertCard(PcscService::Reader, ShortAtr);
    pcsc reader(PcscService::Reader);
    reader.connect();
    reader.connect();
    EXPECT_FALSE(service_->cardIsFree(PcscService::Reader));
    reader.disconnect();
    EXPECT_TRUE(service_->cardIsFree(PcscService::Reader));
}

TEST_F(Pcsc, StatusNeedsAConnection)
{
    service_->insertCard(PcscService::Reader, ShortAtr);
    pcsc reader(PcscService::Reader);
    Bytes atr;
    EXPECT_EQ(thrownBy([&] { reader.cardStatus(atr); }), "runtime_error: not connected");
    reader.connect();
    reader.disconnect();
    reader.disconnect();
    EXPECT_EQ(thrownBy([&] { reader.cardStatus(atr); }), "runtime_error: not connected");
}

TEST_F(Pcsc, StatusReportsTheStateAndTheWholeAtr)
{
    for (const char* atrHex : {ShortAtr, LongAtr}) {
        SCOPED_TRACE(atrHex);
        service_->insertCard(PcscService::Reader, atrHex);
        pcsc reader(PcscService::Reader);
        reader.connect();
        Bytes atr{0xEE};
        // pcsc-lite reports a connected card as powered and awaiting negotiation.
        EXPECT_EQ(reader.cardStatus(atr), CardNegotiable);
        EXPECT_EQ(atr, hex(atrHex));
        reader.disconnect();
        service_->removeCard(PcscService::Reader);
    }
}

TEST_F(Pcsc, ExchangesEachIsoCaseAndLogsBothDirectionsAtLevelOne)
{
    const unsigned char fileId[] = {0x3F, 0x00};
    const struct {
        apdu command;
        const char* sent;
        const char* received;
    } cases[] = {
        {apdu(0x00, 0x70, 0x00, 0x00), "-> 00 70 00 00 ", "<- 90 00 "},
        {apdu(0x00, 0x84, 0x00, 0x00, 0x04), "-> 00 84 00 00 04 ", "<- 01 02 03 04 90 00 "},
        {apdu(0x00, 0xA4, 0x00, 0x0C, 2, fileId), "-> 00 A4 00 0C 02 3F 00 ", "<- 3F 00 90 00 "},
        {apdu(0x00, 0xA4, 0x00, 0x00, 2, fileId, 0x02), "-> 00 A4 00 00 02 3F 00 02 ",
         "<- 3F 00 01 02 90 00 "},
        {apdu(0x00, 0x00, 0x00, 0x00), "-> 00 00 00 00 ", "<- 6D 00 "},
    };
    service_->insertCard(PcscService::Reader, LongAtr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        auto channel = std::make_shared<kqtest::RecordingChannel>();
        pcsc reader(PcscService::Reader, kqtest::uniqueLogger(channel, 1));
        reader.connect();
        const apdu response = reader.exchange(c.command);
        EXPECT_EQ(messages(*channel), (std::vector<std::string>{c.sent, c.received}));
        EXPECT_EQ("<- " + kq::NumberFormatter::buffer2stringU2(response.raw(), response.size()),
                  c.received);
    }
}

TEST_F(Pcsc, ExchangeLogsNothingAtLevelZero)
{
    service_->insertCard(PcscService::Reader, LongAtr);
    auto channel = std::make_shared<kqtest::RecordingChannel>();
    pcsc reader(PcscService::Reader, kqtest::uniqueLogger(channel, 0));
    reader.connect();
    EXPECT_TRUE(reader.exchange(apdu(0x00, 0x84, 0x00, 0x00, 0x08)).isSuccess());
    EXPECT_TRUE(channel->writes.empty());
}

TEST_F(Pcsc, TransmitToARemovedCardLogsTheAnswerAndThrows)
{
    service_->insertCard(PcscService::Reader, LongAtr);
    auto channel = std::make_shared<kqtest::RecordingChannel>();
    pcsc reader(PcscService::Reader, kqtest::uniqueLogger(channel, 1));
    reader.connect();
    service_->removeCard(PcscService::Reader);
    EXPECT_EQ(thrownBy([&] { reader.exchange(apdu(0x00, 0x84, 0x00, 0x00, 0x08)); }),
              "runtime_error: ::SCardTransmit() failed: SCard error: 0x80100069");
    const auto logged = messages(*channel);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "-> 00 84 00 00 08 ");
    EXPECT_EQ(logged[1].substr(0, 3), "<- ");
}

// The service reports the length the answer would need; the record stays within the buffer.
TEST_F(Pcsc, OversizedAnswerLogsNoMoreThanTheBufferAndThrows)
{
    service_->insertCard(PcscService::Reader, LongAtr);
    auto channel = std::make_shared<kqtest::RecordingChannel>();
    pcsc reader(PcscService::Reader, kqtest::uniqueLogger(channel, 1));
    reader.connect();
    EXPECT_EQ(thrownBy([&] { reader.exchange(apdu(0x00, 0xFE, 0x00, 0x00)); }),
              "runtime_error: ::SCardTransmit() failed: SCard error: 0x80100008");
    std::string untouched = "<- ";
    for (int i = 0; i < 261; ++i)
        untouched += "00 ";
    EXPECT_EQ(messages(*channel), (std::vector<std::string>{"-> 00 FE 00 00 ", untouched}));
}

TEST_F(Pcsc, ConnectionRefusedNamesTheCodeAndStaysDisconnected)
{
    const struct {
        const char* reader;
        const char* error;
    } cases[] = {
        {"No Such Reader 00 00", "SCard error: 0x80100009"},  // unknown reader
        {PcscService::Reader, "SCard error: 0x8010000C"},     // no card
    };
    for (const auto& c : cases) {
        pcsc reader(c.reader);
        EXPECT_EQ(thrownBy([&] { reader.connect(); }),
                  std::string("runtime_error: ::SCardConnect() failed: ") + c.error);
        Bytes atr;
        EXPECT_EQ(thrownBy([&] { reader.cardStatus(atr); }), "runtime_error: not connected");
    }
}

// Runs on both platforms: Wine's winscard has no service either.
TEST(PcscWithoutService, ConstructorThrowsTheCodeAndNoReadersAreListed)
{
    kqtest::usePrivatePcscService();
#ifdef _WIN32
    const char* const noService = "runtime_error: SCard error: 0x80100001";
#else
    const char* const noService = "runtime_error: SCard error: 0x8010001D";
#endif
    EXPECT_EQ(thrownBy([] { pcsc reader(PcscService::Reader); }), noService);
    EXPECT_TRUE(enumeratePCSCDevices().empty());
}

}  // namespace
