// Calls into the installed library through its umbrella header only, and
// catches an exception the library throws.
#include <kq/kqsystem.h>

#include <cstdio>
#include <stdexcept>

#ifndef KQ_FOUND_VERSION
#  define KQ_FOUND_VERSION "unknown"
#endif

int main()
{
    const unsigned char bytes[] = {0x4B, 0x51};
    std::printf("%s\n", kq::format("kqsystem %s: %s", KQ_FOUND_VERSION,
                                   kq::NumberFormatter::buffer2stringU(bytes, sizeof bytes).c_str())
                            .c_str());
    try {
        kq::NumberParser::parseInt("not a number");
    } catch (const std::logic_error& e) {
        std::printf("caught: %s\n", e.what());
        return 0;
    }
    return 1;
}
