#include "loader/report/Reports.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace quorvex;

const char* const chromium = "/usr/bin/chromium";

// A wrong byte, a byte a mask allows, a missing answer.
RunRecord sampleRun()
{
    RunRecord run;
    run.log = "session <1>.log";
    run.port = "ttyUSB0";
    run.maxLatency = 50;
    BlockRecord wrong;
    wrong.line = 4;
    wrong.expected = {0x90, 0x00};
    wrong.got = {0x90, 0x6A};
    wrong.pattern = BytePattern::exactly(wrong.expected);
    wrong.verdict = Verdict::Mismatch;
    wrong.firstByteMs = wrong.lastByteMs = 12.5;
    BlockRecord masked = wrong;
    masked.line = 9;
    masked.got = {0x90, 0x3C};
    masked.pattern = BytePattern::parse("90 ??");
    masked.masked = true;
    masked.verdict = Verdict::Match;
    BlockRecord silent = wrong;
    silent.line = 12;
    silent.got.clear();
    silent.firstByteMs = silent.lastByteMs = -1;
    run.blocks = {wrong, masked, silent};
    return run;
}

// The page as a browser renders it: Chromium's document after layout, and a screenshot.
TEST(HtmlReport, RendersInABrowserWithTheDifferencesMarked)
{
#ifdef _WIN32
    GTEST_SKIP() << "Chromium is a Linux program here; the page is the same on both platforms";
#endif
    if (!std::filesystem::exists(chromium)) {
        GTEST_SKIP() << chromium << " is not installed (scripts/bootstrap installs it on Linux)";
    }
    kqtest::TempDir dir;
    const std::filesystem::path page = dir.path() / "report.html";
    {
        std::ofstream out(page, std::ios::binary);
        writeHtmlReport(sampleRun(), out);
    }
    // Headless, with a profile of its own; the page last.
    const std::string url = "file://" + page.string();
    auto browse = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                   "--no-first-run", "--disable-background-networking",
                                   "--disable-component-update", "--disable-sync",
                                   "--user-data-dir=" + (dir.path() / "profile").string()});
        args.push_back(url);
        return std::make_unique<kqtest::Process>(chromium, args);
    };
    const auto dom = browse({"--dump-dom"});
    ASSERT_EQ(dom->wait(kqtest::runLimit), 0) << dom->err();
    const std::string document = dom->out();
    EXPECT_NE(document.find("3 blocks: 1 matched, 2 mismatched, 0 late (limit 50 ms)"),
              std::string::npos)
        << document;
    EXPECT_NE(document.find("90 <span class=\"diff\">6A</span>"), std::string::npos);
    EXPECT_NE(document.find("90 <span class=\"masked\">3C</span>"), std::string::npos);
    EXPECT_NE(document.find("<span class=\"diff\">--</span> <span class=\"diff\">--</span>"),
              std::string::npos);
    EXPECT_NE(document.find("session &lt;1&gt;.log"), std::string::npos);
    EXPECT_NE(document.find("<svg"), std::string::npos);

    const std::string shot = (dir.path() / "report.png").string();
    const auto picture = browse({"--screenshot=" + shot, "--window-size=1000,700"});
    ASSERT_EQ(picture->wait(kqtest::runLimit), 0) << picture->err();
    EXPECT_EQ(kqtest::readFile(shot).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

}  // namespace
