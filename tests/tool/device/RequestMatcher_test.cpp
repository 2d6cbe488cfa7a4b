#include "device/RequestMatcher.h"

#include <kq/NumberFormatter.h>

#include <gtest/gtest.h>

namespace {

using quorvex::Bytes;

Bytes bytes(const std::string& hex)
{
    return kq::NumberFormatter::string2buffer(hex);
}

// Feeds the chunks one by one, then the pause; each find as "index:HEX".
std::string findings(const std::vector<std::string>& chunks)
{
    quorvex::RequestMatcher matcher({bytes("0A1B2C"), bytes("0304"), bytes("030405"), bytes("77")});
    std::string result;
    quorvex::Found found;
    auto take = [&](bool quiet) {
        while (matcher.next(found, quiet))
            result += std::to_string(found.request) + ":" +
                      kq::NumberFormatter::buffer2stringU(
                          found.bytes.data(), static_cast<unsigned int>(found.bytes.size())) +
                      " ";
    };
    for (const std::string& chunk : chunks) {
        const Bytes b = bytes(chunk);
        matcher.feed(b.data(), b.size());
        take(false);
        result += "| ";
    }
    take(true);
    return result;
}

TEST(RequestMatcher, FindsRequestsHoweverTheyArrive)
{
    const struct {
        std::vector<std::string> chunks;
        const char* found;
    } cases[] = {
        {{"0A", "1B2C"}, "| 0:0A1B2C | "},
        {{"0A1B2C0304"}, "0:0A1B2C | 1:0304 "},  // a longer request may still come
        {{"0A1B2C030405"}, "0:0A1B2C 2:030405 | "},
        {{"03040A1B2C"}, "1:0304 0:0A1B2C | "},
        {{"FFEE"}, "| -1:FFEE "},
        {{"FF", "EE0A1B2C"}, "| -1:FFEE 0:0A1B2C | "},
        {{"FF03", "0477"}, "| -1:FF 1:0304 3:77 | "},
        {{"0A1B"}, "| -1:0A1B "},
        {{"0A1B77"}, "-1:0A1B 3:77 | "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findings(c.chunks), c.found) << c.chunks.front();
}

}  // namespace
