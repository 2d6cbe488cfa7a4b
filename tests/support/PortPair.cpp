#include "support/PortPair.h"

#include <cstdlib>

namespace kqtest {

std::vector<unsigned char> PortPair::deviceRead(std::size_t count,
                                                std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::vector<unsigned char> bytes(count);
    std::size_t got = 0;
    while (got < count) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const std::size_t n =
            left.count() > 0 ? deviceReadSome(bytes.data() + got, count - got, left) : 0;
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

std::vector<std::string> testPorts()
{
    const char* ports = std::getenv("KQ_TEST_PORTS");
    const std::string list = ports ? ports : "";
    const std::size_t comma = list.find(',');
    if (comma == std::string::npos)
        return {};
    return {list.substr(0, comma), list.substr(comma + 1)};
}

}  // namespace kqtest
