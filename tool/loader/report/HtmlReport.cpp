#include "Reports.h"
#include "common/Markup.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

namespace {

const char* const style =
    "body{font-family:sans-serif;margin:1.5em}"
    "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:2px 6px;"
    "vertical-align:top}td.bytes{font-family:monospace;word-break:break-all;max-width:30em}"
    "span.diff{background:#f66;color:#fff;font-weight:bold}"
    "span.masked{background:#fd6;font-style:italic}"
    "span.missing{color:#999}"
    "tr.mismatch td.verdict{color:#c00;font-weight:bold}"
    "tr.late td.verdict{color:#c60;font-weight:bold}";

const char* markClass(ByteMark mark)
{
    switch (mark) {
        case ByteMark::Differs:
            return "diff";
        case ByteMark::Masked:
            return "masked";
        case ByteMark::Same:
            break;
    }
    return "";
}

// One byte column: got or expected, each byte in a span when it is marked; a
// byte the other side has and this one lacks shows as "--".
std::string byteCells(const BlockRecord& block, const std::vector<unsigned char>& bytes,
                      bool expectedSide)
{
    const std::size_t size = std::max(block.expected.size(), block.got.size());
    std::string html;
    for (std::size_t at = 0; at < size; ++at) {
        const ByteMark mark = markOf(block, at);
        const bool allowed = expectedSide && block.pattern.allowsAny(at);
        std::string text = at < bytes.size() ? kq::format("%02X", bytes[at]) : "--";
        if (allowed) {
            text = at < bytes.size() ? text + "?" : "??";
        }
        if (at >= bytes.size() && mark == ByteMark::Same) {
            continue;
        }
        html += (at ? " " : "");
        html += mark == ByteMark::Same
                    ? text
                    : kq::format("<span class=\"%s\">%s</span>", markClass(mark), text.c_str());
    }
    return html;
}

std::string latencyCell(double ms)
{
    return ms < 0 ? "-" : milliseconds(ms);
}

void writeRow(const BlockRecord& block, long index, std::ostream& out)
{
    out << "<tr class=\"" << verdictName(block.verdict) << "\"><td>" << index << "</td><td>"
        << block.line << "</td><td class=\"verdict\">" << verdictName(block.verdict)
        << (block.masked ? " (mask)" : "") << "</td><td>" << latencyCell(block.firstByteMs)
        << "</td><td>" << latencyCell(block.lastByteMs) << "</td><td class=\"bytes\">"
        << byteCells(block, block.expected, true) << "</td><td class=\"bytes\">"
        << byteCells(block, block.got, false) << "</td></tr>\n";
}

// First-byte latency of every block as a bar, the limit as a line.
void writeChart(const RunRecord& run, std::ostream& out)
{
    const double width = 800, height = 200;
    double top = static_cast<double>(run.maxLatency);
    for (const BlockRecord& block : run.blocks) {
        top = std::max(top, block.firstByteMs);
    }
    top = std::max(top, 1.0) * 1.1;
    const double bar = width / static_cast<double>(std::max<std::size_t>(run.blocks.size(), 1));
    out << kq::format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
        "role=\"img\"><title>first-byte latency per block, 0 to %s ms</title>"
        "<rect width=\"100%%\" height=\"100%%\" fill=\"#f8f8f8\"/>\n",
        width, height + 20, milliseconds(top).c_str());
    double x = 0;
    for (const BlockRecord& block : run.blocks) {
        const double h = block.firstByteMs < 0 ? 0 : block.firstByteMs / top * height;
        const char* colour = block.verdict == Verdict::Match  ? "#4a4"
                             : block.verdict == Verdict::Late ? "#e90"
                                                              : "#d33";
        out << kq::format(
            "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"%s\"/>", x,
            height - h, std::max(bar - 0.5, 0.5), h, colour);
        x += bar;
    }
    if (run.maxLatency > 0) {
        const double y = height - static_cast<double>(run.maxLatency) / top * height;
        out << kq::format(
            "\n<line x1=\"0\" x2=\"%.0f\" y1=\"%.2f\" y2=\"%.2f\" stroke=\"#c60\" "
            "stroke-dasharray=\"4\"/>",
            width, y, y);
    }
    out << kq::format(
        "\n<text x=\"4\" y=\"%.0f\" font-size=\"12\">first-byte latency, 0 to %s "
        "ms</text></svg>\n",
        height + 15, milliseconds(top).c_str());
}

}  // namespace

void writeHtmlReport(const RunRecord& run, std::ostream& out)
{
    out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>replay of "
        << xmlText(run.log) << "</title><style>" << style << "</style></head><body>\n"
        << "<h1>Replay of " << xmlText(run.log) << " on " << xmlText(run.port) << "</h1>\n"
        << kq::format("<p id=\"summary\">%ld blocks: %ld matched, %ld mismatched, %ld late",
                      static_cast<long>(run.blocks.size()), run.count(Verdict::Match),
                      run.count(Verdict::Mismatch), run.count(Verdict::Late))
        << (run.maxLatency > 0 ? kq::format(" (limit %ld ms)", run.maxLatency) : "")
        << kq::format("; %.1f s</p>\n", run.seconds);
    writeChart(run, out);
    out << "<table><tr><th>block</th><th>line</th><th>verdict</th><th>first byte ms</th>"
           "<th>last byte ms</th><th>expected</th><th>got</th></tr>\n";
    long index = 0;
    for (const BlockRecord& block : run.blocks) {
        writeRow(block, ++index, out);
    }
    out << "</table>\n<p>Marked: <span class=\"diff\">differs</span>, <span class=\"masked\">"
           "differs where a mask or the log allows any byte</span>; expected bytes that may be "
           "anything end in ?.</p>\n</body></html>\n";
}

}  // namespace quorvex
