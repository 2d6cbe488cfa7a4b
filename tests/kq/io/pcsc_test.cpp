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
    for (const auto& write : channel.writes) {
        result.push_back(write.second);
    }
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
    for (int i = 0; i < 261; ++i) {
        untouched += "00 ";
    }
    EXPECT_EQ(messages(*channel), (std::vector<std::string>{"-> 00 FE 00 00 ", untouched}));
}

TEST_F(Pcsc, ExchangesExtendedLengthsWithACallerSizedBuffer)
{
    service_->insertCard(PcscService::Reader, LongAtr);
    pcsc reader(PcscService::Reader);
    reader.connect();
    const apdu read = apdu::extended(0x00, 0xB0, 0x00, 0x00, nullptr, 0, 1024);
    const apdu response = reader.exchange(read, pcsc::ExtendedResponseCapacity);
    ASSERT_EQ(response.size(), 1026u);
    EXPECT_EQ(response.raw()[0], 0x01);
    EXPECT_EQ(response.raw()[1023], 0x00);
    EXPECT_TRUE(response.isSuccess());
    // Too small a buffer: the service says so, as the short exchange does.
    EXPECT_EQ(thrownBy([&] { reader.exchange(read, 1025); }),
              "runtime_error: ::SCardTransmit() failed: SCard error: 0x80100008");
}

TEST_F(Pcsc, ResetKeepsTheConnection)
{
    service_->insertCard(PcscService::Reader, LongAtr);
    pcsc reader(PcscService::Reader);
    EXPECT_EQ(thrownBy([&] { reader.reset(); }), "runtime_error: not connected");
    reader.connect();
    reader.reset();
    EXPECT_TRUE(reader.exchange(apdu(0x00, 0x84, 0x00, 0x00, 0x08)).isSuccess());
}

TEST_F(Pcsc, WaitsForACardToComeAndGo)
{
    std::vector<ReaderState> readers{ReaderState(PcscService::Reader),
                                     ReaderState(PcscService::SecondReader)};
    // The first report comes at once; nothing changes after it.
    ASSERT_TRUE(waitForReaderChange(readers, 0));
    EXPECT_TRUE(readers[0].changed);
    EXPECT_FALSE(readers[0].present);
    EXPECT_FALSE(waitForReaderChange(readers, 50));
    service_->insertCard(PcscService::Reader, LongAtr);
    ASSERT_TRUE(waitForReaderChange(readers, 10000));
    EXPECT_TRUE(readers[0].present);
    EXPECT_EQ(readers[0].atr, hex(LongAtr));
    EXPECT_FALSE(readers[1].present);
    service_->removeCard(PcscService::Reader);
    ASSERT_TRUE(waitForReaderChange(readers, 10000));
    EXPECT_FALSE(readers[0].present);
    EXPECT_TRUE(readers[0].atr.empty());
}

// The list of readers stays as it is: the service knows the pseudo-reader and reports no change.
TEST_F(Pcsc, WaitsOnTheReaderListPseudoReader)
{
    std::vector<ReaderState> list{ReaderState(ReaderListName)};
    EXPECT_FALSE(waitForReaderChange(list, 50));
}

TEST_F(Pcsc, WaitingNamesAReaderTheServiceDoesNotKnow)
{
    std::vector<ReaderState> readers{ReaderState("No Such Reader 00 00")};
    EXPECT_EQ(thrownBy([&] { waitForReaderChange(readers, 0); }),
              "runtime_error: ::SCardGetStatusChange() failed: SCard error: 0x80100009");
    std::vector<ReaderState> none;
    EXPECT_EQ(thrownBy([&] { waitForReaderChange(none, 0); }),
              "invalid_argument: no readers to wait for");
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
    std::vector<ReaderState> readers{ReaderState(PcscService::Reader)};
    EXPECT_EQ(thrownBy([&] { waitForReaderChange(readers, 0); }), noService);
}

}  // namespace
