#include "support/PortPair.h"

#include <cstdlib>
#include <sstream>

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
        if (n == 0) {
            break;
        }
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

std::vector<std::string> testPorts(std::size_t pair)
{
    const char* ports = std::getenv("KQ_TEST_PORTS");
    std::vector<std::string> names;
    std::istringstream list(ports ? ports : "");
    for (std::string name; std::getline(list, name, ',');) {
        names.push_back(name);
    }
    if (names.size() < 2 * pair + 2) {
        return {};
    }
    return {names[2 * pair], names[2 * pair + 1]};
}

}  // namespace kqtest
