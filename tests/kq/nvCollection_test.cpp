#include <kq/nvCollection.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <map>
#include <string>
#include <utility>

namespace {

using Entries = std::map<std::string, std::string>;

Entries entriesOf(const kq::nvCollection& c)
{
    return Entries(c.begin(), c.end());
}

TEST(nvCollection, LoadsItemsSkippingEmptyOnes)
{
    const struct {
        std::string text;
        Entries entries;
        std::string itemSeparator = ";", nameValueSeparator = "=";
    } cases[] = {
        {"device=COM3;baud=115200;flag;x=a=b;;y=",
         {{"baud", "115200"}, {"device", "COM3"}, {"flag", ""}, {"x", "a=b"}, {"y", ""}}},
        {"", {}},
        {";a=1", {{"a", "1"}}},
        {"a=1;", {{"a", "1"}}},
        {"a=1;;", {{"a", "1"}}},
        {"a", {{"a", ""}}},
        {"a=1;b", {{"a", "1"}, {"b", ""}}},
        {"a=1;a=2", {{"a", "2"}}},
        {" a = 1 ", {{" a ", " 1 "}}},
        {"=5", {{"", "5"}}},
        {"a:=1, b:=2", {{"a", "1"}, {"b", "2"}}, ", ", ":="},
        {"a=1;;;b=2", {{"a", "1"}, {";b", "2"}}, ";;"},
    };
    for (const auto& c : cases) {
        const kq::nvCollection collection(c.text, c.itemSeparator, c.nameValueSeparator);
        EXPECT_EQ(c.entries, entriesOf(collection)) << c.text;
        EXPECT_EQ(c.entries.size(), collection.size()) << c.text;
    }
}

TEST(nvCollection, LoadKeepsEarlierEntriesAndRejectsAnEmptyItemSeparator)
{
    kq::nvCollection c;
    c.setInt("c", 3);
    c.load("a=1;c=4;d", ";", "=");
    c.load("e=5", ";", "=");
    const std::string rejected = "invalid_argument: nvCollection::load: empty item separator";
    EXPECT_EQ(rejected, kqtest::thrownBy([&] { c.load("f=6", "", "="); }));
    EXPECT_EQ(rejected, kqtest::thrownBy([] { kq::nvCollection("a=1", "", "="); }));
    EXPECT_EQ((Entries{{"a", "1"}, {"c", "4"}, {"d", ""}, {"e", "5"}}), entriesOf(c));
}

TEST(nvCollection, WritesEntriesInByteOrderOfNames)
{
    kq::nvCollection c;
    EXPECT_EQ("", c.toString(";", "="));
    c.setString("B", "2");
    c.setString("a", "3");
    c.setString("A", "1");
    EXPECT_EQ("A=1;B=2;a=3", c.toString(";", "="));
    EXPECT_EQ("A: 1, B: 2, a: 3", c.toString(", ", ": "));
    EXPECT_FALSE(c.has("b"));
    EXPECT_TRUE(c.has("B"));

    const kq::nvCollection reloaded(c.toString(";", "="), ";", "=");
    EXPECT_EQ(entriesOf(c), entriesOf(reloaded));
}

TEST(nvCollection, SettersStoreTheirText)
{
    kq::nvCollection c;
    c.setBool("b", true);
    c.setBool("f", false);
    c.setInt("i", -2147483647 - 1);
    c.setLong("l", -7L);
    c.setShort("s", -5);
    c.setUShort("us", 65535);
    c.setUInt("u", 4294967295u);
    c.setULong("ul", 4294967295ul);
    c.setString("t", " x ");
    EXPECT_EQ((Entries{{"b", "yes"},
                       {"f", "no"},
                       {"i", "-2147483648"},
                       {"l", "-7"},
                       {"s", "-5"},
                       {"t", " x "},
                       {"u", "4294967295"},
                       {"ul", "4294967295"},
                       {"us", "65535"}}),
              entriesOf(c));
    EXPECT_TRUE(c.getBool("b"));
    EXPECT_EQ(-2147483647 - 1, c.getInt("i"));
    EXPECT_EQ(-7L, c.getLong("l"));
    EXPECT_EQ(-5, c.getShort("s"));
    EXPECT_EQ(65535, c.getUShort("us"));
    EXPECT_EQ(4294967295u, c.getUInt("u"));
    EXPECT_EQ(4294967295ul, c.getULong("ul"));
    EXPECT_EQ(" x ", c.getString("t"));
}

TEST(nvCollection, LongSettersRefuseValuesBeyond32Bits)
{
#ifdef _WIN32
    GTEST_SKIP() << "long is 32 bits wide here: no value lies outside the range";
#else
    const std::string beyond = "out_of_range: nvCollection::";
    kq::nvCollection c;
    c.setLong("l", 2147483647L);
    c.setULong("u", 4294967295ul);
    EXPECT_EQ(beyond + "setLong: 2147483648 is outside the 32-bit range",
              kqtest::thrownBy([&] { c.setLong("l", 2147483648L); }));
    EXPECT_EQ(beyond + "setLong: -2147483649 is outside the 32-bit range",
              kqtest::thrownBy([&] { c.setLong("l", -2147483649L); }));
    EXPECT_EQ(beyond + "setULong: 4294967296 is outside the 32-bit range",
              kqtest::thrownBy([&] { c.setULong("u", 4294967296ul); }));
    EXPECT_EQ(2147483647L, c.getLong("l"));
    EXPECT_EQ(4294967295ul, c.getULong("u"));
    c.setLong("l", -2147483647L - 1);
    EXPECT_EQ(-2147483647L - 1, c.getLong("l"));
#endif
}

TEST(nvCollection, GettersFallBackToTheDefaultOrThrow)
{
    const kq::nvCollection c(
        "k=x;s=40000;big=4294967296;odd=maybe;"
        "one=1;On=On;T=TRUE;zero=0;off=off;No=No",
        ";", "=");
    for (const char* name : {"one", "On", "T"}) {
        EXPECT_TRUE(c.getBool(name)) << name;
    }
    for (const char* name : {"zero", "off", "No"}) {
        EXPECT_FALSE(c.getBool(name)) << name;
    }
    EXPECT_TRUE(c.getBool("odd", true));
    EXPECT_EQ(7, c.getInt("absent", 7));
    EXPECT_EQ(7, c.getInt("k", 7));
    EXPECT_EQ(1, c.getShort("s", 1));
    EXPECT_EQ(9ul, c.getULong("big", 9ul));
    EXPECT_EQ(-3L, c.getLong("k", -3L));
    EXPECT_EQ(4u, c.getUShort("k", 4));
    EXPECT_EQ("d", c.getString("absent", "d"));
    EXPECT_EQ("x", c.getString("k", "d"));

    const std::string bad = "logic_error: NumebrParser - bad format";
    EXPECT_EQ(bad, kqtest::thrownBy([&] { c.getBool("odd"); }));
    EXPECT_EQ(bad, kqtest::thrownBy([&] { c.getInt("k"); }));
    EXPECT_EQ("range_error: NumberParser - out of range",
              kqtest::thrownBy([&] { c.getShort("s"); }));
    EXPECT_EQ("runtime_error: key 'baud' not found in nvCollection",
              kqtest::thrownBy([] { kq::nvCollection().getString("baud"); }));
}

TEST(nvCollection, CopiesAreIndependentAndMovesEmptyTheSource)
{
    kq::nvCollection original("a=1;b=2", ";", "=");
    kq::nvCollection copy(original);
    copy.setString("a", "changed");
    EXPECT_EQ("1", original.getString("a"));

    kq::nvCollection assigned("z=9", ";", "=");
    assigned = original;
    EXPECT_EQ(entriesOf(original), entriesOf(assigned));
    assigned = static_cast<const kq::nvCollection&>(assigned);
    EXPECT_EQ(2u, assigned.size());

    kq::nvCollection moved(std::move(original));
    EXPECT_EQ(0u, original.size());
    EXPECT_EQ(2u, moved.size());

    kq::nvCollection target("z=9", ";", "=");
    target = std::move(moved);
    EXPECT_EQ(0u, moved.size());
    EXPECT_EQ((Entries{{"a", "1"}, {"b", "2"}}), entriesOf(target));
}

}  // namespace
