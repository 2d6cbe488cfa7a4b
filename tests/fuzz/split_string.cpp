#include <kq/StringUtils.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using kqtest::fuzzCheck;
using Words = std::vector<std::string>;

namespace {

// Pieces joined with the delimiter give the text back; none holds the delimiter; skipping
// empty pieces drops exactly those.
void checkSplitString(const std::string& text, const std::string& delimiter)
{
    if (delimiter.empty()) {
        fuzzCheck(kqtest::thrownBy([&] {
                      kq::SplitString(text, delimiter, false);
                  }).rfind("invalid_argument: ", 0) == 0,
                  "an empty delimiter is refused");
        return;
    }
    const Words pieces = kq::SplitString(text, delimiter, false);
    std::string joined;
    Words nonEmpty;
    for (size_t i = 0; i < pieces.size(); ++i) {
        fuzzCheck(pieces[i].find(delimiter) == std::string::npos, "no piece holds the delimiter");
        joined += (i ? delimiter : "") + pieces[i];
        if (!pieces[i].empty()) {
            nonEmpty.push_back(pieces[i]);
        }
    }
    fuzzCheck(joined == text, "pieces join back to the text", text);
    fuzzCheck(kq::SplitString(text, delimiter, true) == nonEmpty, "skipEmpty drops empty pieces");
}

// Walks the line along the words: each is either quoted in full or ends at a space or at
// the end of the line; only the last may be an unterminated quoted word.
void checkSplitCommandLine(const std::string& line)
{
    const Words words = kq::SplitCommandLine(line);
    size_t p = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        fuzzCheck(p < line.size(), "no word beyond the line", line);
        if (line[p] == '"' && line.compare(p + 1, w.size(), w) == 0 &&
            line.size() > p + 1 + w.size() && line[p + 1 + w.size()] == '"' &&
            w.find('"') == std::string::npos) {
            p += w.size() + 2;
            continue;
        }
        const bool last = i + 1 == words.size();
        if (line[p] == '"') {
            fuzzCheck(last && line.compare(p, std::string::npos, w) == 0 &&
                          line.find('"', p + 1) == std::string::npos,
                      "an unterminated quoted word keeps its quote and ends the line", line);
            p = line.size();
            continue;
        }
        fuzzCheck(line.compare(p, w.size(), w) == 0 && w.find(' ') == std::string::npos,
                  "an unquoted word runs to the next space", line);
        p += w.size();
        fuzzCheck(p == line.size() || line[p] == ' ', "an unquoted word ends at a space", line);
        p += 1;
    }
    fuzzCheck(p >= line.size(), "every word of the line is returned", line);
    if (line.find('"') == std::string::npos && !line.empty()) {
        Words expected = kq::SplitString(line, " ", false);
        if (line.back() == ' ') {
            expected.pop_back();
        }
        fuzzCheck(words == expected, "without quotes, the words between single spaces", line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string delimiter = input.ConsumeRandomLengthString(4);
    const std::string text = input.ConsumeRemainingBytesAsString();
    checkSplitString(text, delimiter);
    checkSplitCommandLine(text);
    return 0;
}
