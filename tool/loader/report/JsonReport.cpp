#include "Reports.h"
#include "common/Markup.h"

#include <kq/StringUtils.h>

namespace quorvex {

namespace {

std::string latency(double ms)
{
    return ms < 0 ? "null" : milliseconds(ms);
}

std::string blockEntry(const BlockRecord& block)
{
    return "{" +
           jsonExchangeFields(block.line, block.expected, block.got,
                              block.masked ? block.pattern.text() : "") +
           ", \"verdict\": " + jsonString(verdictName(block.verdict)) +
           ", \"firstByteMs\": " + latency(block.firstByteMs) +
           ", \"lastByteMs\": " + latency(block.lastByteMs) + "}";
}

}  // namespace

void writeJsonReport(const RunRecord& run, std::ostream& out)
{
    std::vector<std::string> entries;
    for (const BlockRecord& block : run.blocks) {
        entries.push_back(blockEntry(block));
    }
    writeJsonDocument(
        out, run.log, run.port, "blocks", entries,
        kq::format("{\"blocks\": %ld, \"matched\": %ld, \"mismatched\": %ld, \"late\": %ld}",
                   static_cast<long>(run.blocks.size()), run.count(Verdict::Match),
                   run.count(Verdict::Mismatch), run.count(Verdict::Late)));
}

}  // namespace quorvex
