#include <kq/io/apdu.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

using kq::io::apdu;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const apdu& a)
{
    return a.raw() ? Bytes(a.raw(), a.raw() + a.size()) : Bytes{};
}

const unsigned char fileId[] = {0x3F, 0x00};

TEST(Apdu, EachIsoCaseLaysOutItsBytes)
{
    const struct {
        apdu command;
        Bytes bytes;
    } cases[] = {
        {apdu(0x00, 0xA4, 0x04, 0x00), {0x00, 0xA4, 0x04, 0x00}},
        {apdu(0x00, 0x84, 0x00, 0x00, 0x08), {0x00, 0x84, 0x00, 0x00, 0x08}},
        {apdu(0x00, 0xA4, 0x04, 0x00, 2, fileId), {0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00}},
        {apdu(0x00, 0xA4, 0x04, 0x00, 2, fileId, 0x00),
         {0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00, 0x00}},
        // With Lc 0 the data is not read.
        {apdu(0x80, 0xCA, 0x9F, 0x7F, 0, nullptr), {0x80, 0xCA, 0x9F, 0x7F, 0x00}},
        {apdu(0x80, 0xCA, 0x9F, 0x7F, 0, nullptr, 0x2D), {0x80, 0xCA, 0x9F, 0x7F, 0x00, 0x2D}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bytesOf(c.command), c.bytes);
        EXPECT_EQ(c.command.size(), c.bytes.size());
    }
}

TEST(Apdu, StatusBytesAreTheLastTwo)
{
    const struct {
        Bytes response;
        unsigned char sw1, sw2;
        bool success;
    } cases[] = {
        {{0x90, 0x00}, 0x90, 0x00, true},
        {{0x90, 0x01}, 0x90, 0x01, true},
        {{0x61, 0x10}, 0x61, 0x10, false},
        {{0x01, 0x02, 0x6A, 0x82}, 0x6A, 0x82, false},
        {{0x3F, 0x00, 0x90, 0x00}, 0x90, 0x00, true},
        {{0x90}, 0, 0, false},
        {{}, 0, 0, false},
    };
    for (const auto& c : cases) {
        const apdu response = apdu::fromBuffer(c.response.data(), c.response.size());
        EXPECT_EQ(bytesOf(response), c.response);
        EXPECT_EQ(response.sw1(), c.sw1);
        EXPECT_EQ(response.sw2(), c.sw2);
        EXPECT_EQ(response.isSuccess(), c.success);
    }
}

TEST(Apdu, EmptyBufferGivesNoBytesWhateverThePointer)
{
    const apdu empty = apdu::fromBuffer(fileId, 0);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.raw(), nullptr);
}

TEST(Apdu, CopiesAreIndependentAndMovesEmptyTheSource)
{
    apdu original(0x00, 0xA4, 0x04, 0x00, 2, fileId);
    apdu copy(original);
    EXPECT_NE(copy.raw(), original.raw());
    EXPECT_EQ(bytesOf(copy), bytesOf(original));

    apdu moved(std::move(original));
    EXPECT_EQ(original.size(), 0u);
    EXPECT_EQ(original.raw(), nullptr);
    EXPECT_EQ(bytesOf(moved), bytesOf(copy));

    apdu target(0x00, 0x84, 0x00, 0x00, 0x08);
    target = std::move(moved);
    EXPECT_EQ(moved.size(), 0u);
    EXPECT_EQ(bytesOf(target), bytesOf(copy));

    target = apdu(0x00, 0x84, 0x00, 0x00, 0x08);
    copy = target;
    EXPECT_EQ(bytesOf(copy), (Bytes{0x00, 0x84, 0x00, 0x00, 0x08}));
}

TEST(Apdu, SelfAssignmentKeepsTheBytes)
{
    apdu command(0x00, 0xA4, 0x04, 0x00, 2, fileId);
    const Bytes before = bytesOf(command);
    apdu& same = command;
    command = same;
    EXPECT_EQ(bytesOf(command), before);
    command = std::move(same);
    EXPECT_EQ(bytesOf(command), before);
}

}  // namespace

namespace {

TEST(Apdu, ExtendedCasesEncodeTheirLengthsInTwoBytes)
{
    const std::vector<unsigned char> data(300, 0xAB);
    const struct {
        apdu command;
        Bytes head;
        Bytes tail;
        unsigned int size;
    } cases[] = {
        {apdu::extended(0x00, 0xB0, 0x00, 0x00, nullptr, 0, 1024),
         {0x00, 0xB0, 0x00, 0x00, 0x00, 0x04, 0x00},
         {},
         7},
        // Le 65,536 is sent as 00 00.
        {apdu::extended(0x00, 0xB0, 0x00, 0x00, nullptr, 0, 65536),
         {0x00, 0xB0, 0x00, 0x00, 0x00, 0x00, 0x00},
         {},
         7},
        {apdu::extended(0x00, 0xD6, 0x00, 0x00, data.data(), 300, 0),
         {0x00, 0xD6, 0x00, 0x00, 0x00, 0x01, 0x2C, 0xAB},
         {0xAB, 0xAB},
         307},
        {apdu::extended(0x00, 0x2A, 0x9E, 0x9A, data.data(), 300, 512),
         {0x00, 0x2A, 0x9E, 0x9A, 0x00, 0x01, 0x2C, 0xAB},
         {0xAB, 0x02, 0x00},
         309},
        {apdu::extended(0x00, 0x70, 0x00, 0x00, nullptr, 0, 0), {0x00, 0x70, 0x00, 0x00}, {}, 4},
    };
    for (const auto& c : cases) {
        const Bytes all = bytesOf(c.command);
        ASSERT_EQ(all.size(), c.size);
        EXPECT_EQ(Bytes(all.begin(), all.begin() + c.head.size()), c.head);
        EXPECT_EQ(Bytes(all.end() - c.tail.size(), all.end()), c.tail);
    }
}

TEST(Apdu, ExtendedRefusesLengthsBeyondTheStandard)
{
    const std::vector<unsigned char> data(65536);
    EXPECT_THROW(apdu::extended(0, 0xD6, 0, 0, data.data(), 65536, 0), std::invalid_argument);
    EXPECT_THROW(apdu::extended(0, 0xB0, 0, 0, nullptr, 0, 65537), std::invalid_argument);
    EXPECT_EQ(apdu::extended(0, 0xD6, 0, 0, data.data(), 65535, 65536).size(), 65535u + 9);
}

}  // namespace
