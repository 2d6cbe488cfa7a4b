#include "Reports.h"
#include "common/Hex.h"
#include "common/Markup.h"

#include <kq/StringUtils.h>

namespace quorvex {

namespace {

std::string latency(double ms)
{
    return ms < 0 ? "null" : milliseconds(ms);
}

void writeBlock(const BlockRecord& block, std::ostream& out)
{
    out << "    {\"line\": " << block.line << ", \"expected\": " << jsonString(hex(block.expected))
        << ", \"got\": " << jsonString(hex(block.got));
    if (block.masked) {
        out << ", \"mask\": " << jsonString(block.pattern.text());
    }
    out << ", \"verdict\": " << jsonString(verdictName(block.verdict))
        << ", \"firstByteMs\": " << latency(block.firstByteMs)
        << ", \"lastByteMs\": " << latency(block.lastByteMs) << "}";
}

}  // namespace

void writeJsonReport(const RunRecord& run, std::ostream& out)
{
    out << "{\n  \"log\": " << jsonString(run.log) << ",\n  \"port\": " << jsonString(run.port)
        << ",\n  \"blocks\": [";
    const char* separator = "\n";
    for (const BlockRecord& block : run.blocks) {
        out << separator;
        writeBlock(block, out);
        separator = ",\n";
    }
    out << (run.blocks.empty() ? "],\n" : "\n  ],\n");
    out << kq::format(
        "  \"summary\": {\"blocks\": %ld, \"matched\": %ld, \"mismatched\": %ld, \"late\": "
        "%ld}\n}\n",
        static_cast<long>(run.blocks.size()), run.count(Verdict::Match),
        run.count(Verdict::Mismatch), run.count(Verdict::Late));
}

}  // namespace quorvex
