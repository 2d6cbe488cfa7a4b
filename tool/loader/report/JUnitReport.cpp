#include "Reports.h"
#include "common/Hex.h"
#include "common/Markup.h"

#include <kq/StringUtils.h>

#include <filesystem>

namespace quorvex {

namespace {

std::string seconds(double s)
{
    return kq::format("%.3f", s);
}

std::string failureText(const BlockRecord& block, long maxLatency)
{
    std::string text = "expected " + hex(block.expected) + "\ngot " + hex(block.got) + "\n";
    if (block.masked) {
        text += "mask " + block.pattern.text() + "\n";
    }
    if (block.verdict == Verdict::Late) {
        text += kq::format("first byte after %s ms, limit %ld ms\n",
                           milliseconds(block.firstByteMs).c_str(), maxLatency);
    }
    return text;
}

void writeCase(const BlockRecord& block, long index, const RunRecord& run, std::ostream& out)
{
    const double time = block.lastByteMs > 0 ? block.lastByteMs / 1000 : 0;
    out << "  <testcase name=\"" << kq::format("block %ld (line %ld)", index, block.line)
        << "\" classname=\"" << xmlText(std::filesystem::path(run.log).filename().string())
        << "\" time=\"" << seconds(time) << "\">\n";
    if (block.verdict != Verdict::Match) {
        out << "    <failure type=\"" << verdictName(block.verdict) << "\" message=\""
            << verdictName(block.verdict) << "\">" << xmlText(failureText(block, run.maxLatency))
            << "</failure>\n";
    }
    out << "    <system-out>" << xmlText(block.transcript) << "</system-out>\n  </testcase>\n";
}

}  // namespace

void writeJUnitReport(const RunRecord& run, std::ostream& out)
{
    const long failures = run.count(Verdict::Mismatch) + run.count(Verdict::Late);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuite name=\"" << xmlText(std::filesystem::path(run.log).filename().string())
        << "\" tests=\"" << run.blocks.size() << "\" failures=\"" << failures
        << "\" errors=\"0\" time=\"" << seconds(run.seconds) << "\">\n";
    long index = 0;
    for (const BlockRecord& block : run.blocks) {
        writeCase(block, ++index, run, out);
    }
    out << "</testsuite>\n";
}

}  // namespace quorvex
