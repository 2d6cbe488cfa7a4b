#include "Replay.h"

#include "Console.h"
#include "LineSettings.h"
#include "PortMonReader.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>
#include <kq/io/SerialIO.h>
#include <kq/logger/ConsoleLogChannel.h>

#include <chrono>
#include <memory>
#include <thread>

namespace quorvex {

namespace {

const std::chrono::milliseconds pause(100);
const std::chrono::milliseconds receiveWindow(2000);

kq::logger::ILogger& consoleLogger()
{
    auto formatter = std::make_shared<kq::logger::ConsoleFormatter>();
    auto channel = std::make_shared<kq::logger::ConsoleLogChannel>();
    channel->setFormatter(formatter);
    return kq::logger::add("", channel);
}

kq::io::SerialConfig portConfig(const std::string& serialName)
{
    kq::io::SerialConfig config = fixedLineSettings(serialName);
    config.setCommTimeouts(kq::io::SerialTimeouts{65535, 0, 0, 0, 0});
    config.setBuffersSize(kq::io::SerialBuffersSize{4096, 0});
    return config;
}

void send(const kq::io::SerialIO& port, const std::vector<unsigned char>& data)
{
    const auto size = static_cast<unsigned int>(data.size());
    print(kq::format("ACTION: send %ld bytes\n", static_cast<long>(size)));
    const unsigned int sent = port.send(data.data(), size);
    if (sent != size)
        print(kq::format("error: only %ld bytes send\n", static_cast<long>(sent)));
}

// Watches the port for the whole window and reads whenever at least the expected
// count is waiting. With nothing expected, a read needs at least one waiting byte:
// otherwise the window would spin printing empty reads as fast as the CPU allows.
void receive(const kq::io::SerialIO& port, const std::vector<unsigned char>& expected)
{
    const auto count = static_cast<unsigned int>(expected.size());
    print(kq::format("ACTION: recv ( %ld ) %s\n", static_cast<long>(count),
                     kq::NumberFormatter::buffer2stringU2(expected.data(), count).c_str()));
    const Deadline windowEnd(receiveWindow);
    do {
        const unsigned int waiting = port.available();
        if (waiting == 0 || waiting < count) {
            std::this_thread::sleep_for(pause);
            continue;
        }
        std::vector<unsigned char> buffer(waiting, 0);
        const unsigned int got = port.recv(buffer.data(), waiting);
        print(kq::format("read: ( %ld ) %s\n", static_cast<long>(got),
                         kq::NumberFormatter::buffer2stringU(buffer.data(), waiting).c_str()));
    } while (!windowEnd.passed());
}

void perform(const kq::io::SerialIO& port, const PortMonAction& action)
{
    switch (action.kind) {
        case ActionKind::Purge:
            print("ACTION: purge\n");
            port.purge();
            break;
        case ActionKind::Send:
            send(port, action.data);
            break;
        case ActionKind::Recv:
            receive(port, action.data);
            break;
        case ActionKind::None:
            break;
    }
}

}  // namespace

void runReplay(const std::string& serialName, const std::string& inputFile)
{
    kq::logger::ILogger& logger = consoleLogger();
    PortMonReader reader(inputFile);
    const kq::io::SerialIO port(portConfig(serialName), logger);
    while (const PortMonAction* action = reader.next()) {
        perform(port, *action);
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace quorvex
