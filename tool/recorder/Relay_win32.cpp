#include "Recorder.h"

#include "common/Console.h"
#include "common/Interrupt.h"

#include <kq/StringUtils.h>
#include <kq/io/SerialIO.h>

#include <windows.h>

#include <algorithm>
#include <memory>

namespace quorvex {

namespace {

// A read returns at once with what is waiting; a write that the line does not
// take within 5 s counts as a port gone.
kq::io::SerialConfig relayConfig(kq::io::SerialConfig config, const std::string& name)
{
    config.setDeviceName(name);
    config.setCommTimeouts(kq::io::SerialTimeouts{0xFFFFFFFF, 0, 0, 5000, 0});
    config.setBuffersSize(kq::io::SerialBuffersSize{4096, 4096});
    return config;
}

// SerialIO has no wait for data: an idle relay looks at both ports every millisecond.
const DWORD idleCheckMs = 1;

class WindowsRelay {
public:
    WindowsRelay(const RecorderOptions& options, Recording& recording)
        : recording_(recording),
          frontName_(options.front),
          backName_(options.serial),
          front_(relayConfig(options.line, options.front)),
          back_(relayConfig(options.line, options.serial))
    {
    }

    void run()
    {
        while (!interruptRequested()) {
            const bool moved = pass(front_, frontName_, back_, backName_, true);
            if (!pass(back_, backName_, front_, frontName_, false) && !moved) {
                ::Sleep(idleCheckMs);
            }
        }
    }

private:
    // Moves what waits on one port to the other; false when nothing waited.
    bool pass(const kq::io::SerialIO& from, const std::string& fromName, const kq::io::SerialIO& to,
              const std::string& toName, bool fromProgram)
    {
        if (from.deviceLost()) {
            throw PortGone(fromName);
        }
        const unsigned int waiting = std::min<unsigned int>(from.available(), sizeof buffer_);
        if (waiting == 0) {
            return false;
        }
        const unsigned int got = from.recv(buffer_, waiting);
        if (fromProgram && got > 0) {
            recording_.wrote(buffer_, got);
        }
        // Logged before it is sent: the program may read it before send returns.
        if (!fromProgram && got > 0) {
            recording_.read(buffer_, got);
        }
        if (to.send(buffer_, got) != got) {
            throw PortGone(toName);
        }
        return got > 0;
    }

    Recording& recording_;
    const std::string frontName_, backName_;
    kq::io::SerialIO front_, back_;
    unsigned char buffer_[4096];
};

}  // namespace

void relay(const RecorderOptions& options, Recording& recording)
{
    if (options.front.empty()) {
        throw std::runtime_error(
            "give --front=PORT: Windows has no pseudo-terminal for the program");
    }
    catchInterrupts();
    WindowsRelay relay(options, recording);
    recording.start();
    print(kq::format("port: %s\n", options.front.c_str()));
    relay.run();
}

}  // namespace quorvex
