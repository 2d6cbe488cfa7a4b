#include "tool/ToolRun.h"
#include "tool/loader/ReportParsers.h"
#include "tool/loader/ScriptedDevice.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using kqtest::Json;
using kqtest::portMon;
using kqtest::ScriptedDevice;
using Bytes = ScriptedDevice::Bytes;

using QuorvexLoaderReports = kqtest::ToolRun;
using QuorvexLoaderMasks = kqtest::ToolRun;
using QuorvexLoaderLatency = kqtest::ToolRun;
using QuorvexLoaderTextLog = kqtest::ToolRun;

// QuorvexLoader replaying this dump against the scripted device.
kqtest::Outcome replay(const ScriptedDevice& device, const std::string& dump,
                       std::vector<std::string> args)
{
    args.insert(args.begin(), {"-s=" + device.portName(), "-i=" + dump});
    return kqtest::runTool("QuorvexLoader", args);
}

// Right, right in two pieces, wrong, and no answer at all; each report says so.
TEST_F(QuorvexLoaderReports, TellEveryBlock)
{
    const std::string json = (dir_.path() / "r.json").string(),
                      junit = (dir_.path() / "r.xml").string(),
                      html = (dir_.path() / "r.html").string();
    ASSERT_NO_FATAL_FAILURE(
        run(portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                     {"IRP_MJ_READ", "Length 2: A1 A2"},
                     {"IRP_MJ_WRITE", "Length 1: 02"},
                     {"IRP_MJ_READ", "Length 4: B1 B2 B3 B4"},
                     {"IRP_MJ_WRITE", "Length 1: 03"},
                     {"IRP_MJ_READ", "Length 2: C1 C2"},
                     {"IRP_MJ_WRITE", "Length 1: 04"},
                     {"IRP_MJ_READ", "Length 1: D1"}}),
            portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                     {"IRP_MJ_READ", "Length 2: A1 A2"},
                     {"IRP_MJ_WRITE", "Length 1: 02"},
                     {"IRP_MJ_READ", "Length 2: B1 B2"},
                     {"IRP_MJ_READ", "Length 2: B3 B4"},
                     {"IRP_MJ_WRITE", "Length 1: 03"},
                     {"IRP_MJ_READ", "Length 2: C1 C9"},
                     {"IRP_MJ_WRITE", "Length 1: 04"}}),
            {"--json=" + json, "--junit=" + junit, "--html=" + html, "--fast", "--window=1000"}));
    EXPECT_EQ(2, loaderStatus_) << loader_->out() << loader_->err();

    const Json report = kqtest::parseJson(kqtest::readFile(json));
    EXPECT_EQ(report["port"].text, loaderPort_);
    ASSERT_EQ(report["blocks"].items.size(), 4u);
    const struct {
        double line;
        const char *expected, *got, *verdict;
    } blocks[] = {{2, "A1A2", "A1A2", "match"},
                  {4, "B1B2B3B4", "B1B2B3B4", "match"},
                  {6, "C1C2", "C1C9", "mismatch"},
                  {8, "D1", "", "mismatch"}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Json& block = report["blocks"][i];
        EXPECT_EQ(block["line"].number, blocks[i].line);
        EXPECT_EQ(block["expected"].text, blocks[i].expected);
        EXPECT_EQ(block["got"].text, blocks[i].got);
        EXPECT_EQ(block["verdict"].text, blocks[i].verdict);
        EXPECT_EQ(block.members.count("mask"), 0u);
        if (i < 3) {
            EXPECT_GE(block["firstByteMs"].number, 0);
            EXPECT_GE(block["lastByteMs"].number, block["firstByteMs"].number);
        } else {
            EXPECT_EQ(block["firstByteMs"].kind, Json::Null);
        }
    }
    const Json& summary = report["summary"];
    EXPECT_EQ(summary["blocks"].number, 4);
    EXPECT_EQ(summary["matched"].number, 2);
    EXPECT_EQ(summary["mismatched"].number, 2);
    EXPECT_EQ(summary["late"].number, 0);

    const kqtest::Xml suite = kqtest::parseXml(kqtest::readFile(junit));
    EXPECT_EQ(suite.name, "testsuite");
    EXPECT_EQ(suite.attributes.at("name"), "host.log");
    EXPECT_EQ(suite.attributes.at("tests"), "4");
    EXPECT_EQ(suite.attributes.at("failures"), "2");
    const auto cases = suite.all("testcase");
    ASSERT_EQ(cases.size(), 4u);
    EXPECT_EQ(cases[2]->attributes.at("name"), "block 3 (line 6)");
    ASSERT_EQ(cases[2]->all("failure").size(), 1u);
    EXPECT_EQ(cases[2]->all("failure")[0]->text, "expected C1C2\ngot C1C9\n");
    EXPECT_TRUE(cases[0]->all("failure").empty());
    // The device's two pieces may arrive as one read or as two.
    const std::string transcript = cases[1]->all("system-out")[0]->text;
    EXPECT_EQ(transcript.rfind("ACTION: send 1 bytes\nACTION: recv ( 4 ) B1 B2 B3 B4 \nread: ", 0),
              0u)
        << transcript;
    EXPECT_EQ(transcript.substr(transcript.size() - 6), "match\n");

    const std::string page = kqtest::readFile(html);
    EXPECT_NE(page.find("C1 <span class=\"diff\">C9</span>"), std::string::npos) << page;
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

// 90 NN 00 for every request byte, NN counting up from 0x10: a changing counter.
std::function<Bytes(const Bytes&)> counter()
{
    auto next = std::make_shared<unsigned char>(0x10);
    return [next](const Bytes&) { return Bytes{0x90, (*next)++, 0x00}; };
}

std::string counterLog()
{
    return portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                    {"IRP_MJ_READ", "Length 3: 90 05 00"},
                    {"IRP_MJ_WRITE", "Length 1: 02"},
                    {"IRP_MJ_READ", "Length 2: 90 06"},
                    {"IRP_MJ_READ", "Length 1: 00"}});
}

TEST_F(QuorvexLoaderMasks, LearnedMasksLetTheCounterPass)
{
    ScriptedDevice device(1, counter());
    const std::string log = dir_.writeFile("counter.log", counterLog()),
                      masks = (dir_.path() / "learned.mask").string(),
                      json = (dir_.path() / "r.json").string();
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"--fast", "--window=1000"});
        return replay(device, log, args);
    };

    const kqtest::Outcome learning = with({"--learn-masks=" + masks, "--repeat=3"});
    EXPECT_EQ(learning.status, 0) << learning.out << learning.err;
    EXPECT_NE(learning.out.find("learn: block 1 (line 2): 1 bytes masked\n"
                                "learn: block 2 (line 4): 1 bytes masked\n"
                                "learn: 2 of 2 blocks masked, written to " +
                                masks),
              std::string::npos)
        << learning.out;
    const std::string learned = kqtest::readFile(masks);
    EXPECT_NE(learned.find("\n2: 90 ?? 00\n4: 90 ?? 00\n"), std::string::npos) << learned;

    const kqtest::Outcome masked = with({"--mask=" + masks, "--json=" + json});
    EXPECT_EQ(masked.status, 0) << masked.out;
    const Json report = kqtest::parseJson(kqtest::readFile(json));
    EXPECT_EQ(report["blocks"][1]["mask"].text, "90 ?? 00");
    EXPECT_EQ(report["summary"]["matched"].number, 2);

    EXPECT_EQ(with({"--compare"}).status, 2);
    EXPECT_EQ(device.requests().size(), 2u * (3 + 1 + 1));
}

// The second answer comes after 1500 ms, over the 1000 ms limit: the replay
// stops there, and the third request is never sent.
TEST_F(QuorvexLoaderLatency, ALateAnswerStopsAFailFastRun)
{
    ScriptedDevice device(1, [](const Bytes& request) {
        if (request[0] == 0x02) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
        return Bytes{0x90, 0x00};
    });
    const std::string json = (dir_.path() / "r.json").string();
    const kqtest::Outcome loader =
        replay(device,
               dir_.writeFile("late.log", portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                                                   {"IRP_MJ_READ", "Length 2: 90 00"},
                                                   {"IRP_MJ_WRITE", "Length 1: 02"},
                                                   {"IRP_MJ_READ", "Length 2: 90 00"},
                                                   {"IRP_MJ_WRITE", "Length 1: 03"},
                                                   {"IRP_MJ_READ", "Length 2: 90 00"}})),
               {"--max-latency=1000", "--fail-fast", "--fast", "--window=5000", "--json=" + json});
    EXPECT_EQ(loader.status, 2) << loader.out << loader.err;
    EXPECT_NE(loader.out.find("\nLATE first byte after 1"), std::string::npos) << loader.out;
    EXPECT_NE(loader.out.find(" ms, limit 1000 ms\nfail-fast: stopped at block 2 (line 4)\n"),
              std::string::npos)
        << loader.out;
    EXPECT_EQ(loader.out.find("complete"), std::string::npos);
    const Json report = kqtest::parseJson(kqtest::readFile(json));
    ASSERT_EQ(report["blocks"].items.size(), 2u);
    EXPECT_EQ(report["blocks"][1]["verdict"].text, "late");
    EXPECT_GE(report["blocks"][1]["firstByteMs"].number, 1500);
    EXPECT_EQ(report["summary"]["late"].number, 1);
    EXPECT_EQ(device.requests(), (std::vector<Bytes>{{0x01}, {0x02}}));
}

// A log saved without hex display: "AT." is sent as AT CR, and "OK.." matches
// any two bytes after OK.
TEST_F(QuorvexLoaderTextLog, DotStandsForTheGivenByte)
{
    ScriptedDevice device(3, [](const Bytes&) { return Bytes{'O', 'K', '\r', '\n'}; });
    const kqtest::Outcome loader =
        replay(device,
               dir_.writeFile("text.log", portMon({{"IRP_MJ_WRITE", "Length 3: AT. "},
                                                   {"IRP_MJ_READ", "Length 4: OK.."}})),
               {"--dot=0D", "--compare", "--fast", "--window=1000"});
    EXPECT_EQ(loader.status, 0) << loader.out << loader.err;
    EXPECT_NE(loader.out.find("ACTION: send 3 bytes\nACTION: recv ( 4 ) 4F 4B 0D 0D \n"
                              "read: ( 4 ) 4F4B0D0A\nmatch\n"),
              std::string::npos)
        << loader.out;
    EXPECT_EQ(device.requests(), (std::vector<Bytes>{{'A', 'T', '\r'}}));
}

}  // namespace
