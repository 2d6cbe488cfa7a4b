#include "Replay.h"

#include "Interrupt.h"
#include "ReceiveWindow.h"
#include "common/Console.h"
#include "common/LineSettings.h"
#include "portmon/DumpSurvey.h"

#include <kq/StringUtils.h>
#include <kq/io/SerialIO.h>
#include <kq/logger/ConsoleLogChannel.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace quorvex {

namespace {

kq::logger::ILogger& consoleLogger()
{
    auto formatter = std::make_shared<kq::logger::ConsoleFormatter>();
    auto channel = std::make_shared<kq::logger::ConsoleLogChannel>();
    channel->setFormatter(formatter);
    return kq::logger::add("", channel);
}

kq::io::SerialConfig lineSettings(const std::string& serialName, const std::string& text)
{
    if (text.empty())
        return fixedLineSettings(serialName);
    try {
        kq::io::SerialConfig config = kq::io::SerialConfig::fromString(text);
        config.setDeviceName(serialName);
        return config;
    } catch (const std::exception& e) {
        throw std::runtime_error(kq::format("invalid --config '%s': %s", text.c_str(), e.what()));
    }
}

kq::io::SerialConfig portConfig(const std::string& serialName, const ReplayOptions& options)
{
    kq::io::SerialConfig config = lineSettings(serialName, options.config);
    config.setCommTimeouts(kq::io::SerialTimeouts{65535, 0, 0, 0, 0});
    config.setBuffersSize(kq::io::SerialBuffersSize{4096, 0});
    return config;
}

// The actions of the dump, once more: a file is simply read again; input that
// cannot be read twice (a pipe) was kept from the first reading.
using ActionSource = std::function<const PortMonAction*()>;

class Replayer {
public:
    Replayer(kq::io::SerialIO& port, const ReplayOptions& options) : port_(port), options_(options)
    {
        pacing_.window = options.window;
        pacing_.fast = options.fast;
        if (options.fast)
            pacing_.poll = std::chrono::milliseconds(1);
    }

    void play(const ActionSource& next)
    {
        while (const PortMonAction* action = next()) {
            throwIfInterrupted();
            if (options_.compare && action->kind == ActionKind::Recv) {
                block_.add(*action);
                continue;
            }
            answerBlock();
            perform(*action);
            restUntil(timetable_.next(options_.pause));
        }
        answerBlock();
        if (options_.compare)
            print(kq::format("compare: %ld of %ld blocks matched\n", matched_, blocks_));
    }

    bool allMatched() const { return matched_ == blocks_; }

private:
    void perform(const PortMonAction& action)
    {
        switch (action.kind) {
            case ActionKind::Purge:
                early_ = 0;
                print("ACTION: purge\n");
                port_.purge();
                break;
            case ActionKind::Send:
                early_ = 0;
                send(action.data);
                break;
            case ActionKind::Recv:
                receiveOne(action.data);
                break;
            case ActionKind::Settings:
                print("ACTION: settings " + lineChangeText(action.change) + "\n");
                applyLineChange(port_.config(), action.change);
                port_.configure();
                break;
            case ActionKind::None:
                break;
        }
        ensurePresent(port_);
    }

    void send(const std::vector<unsigned char>& data)
    {
        const auto size = static_cast<unsigned int>(data.size());
        print(kq::format("ACTION: send %ld bytes\n", static_cast<long>(size)));
        const unsigned int sent = port_.send(data.data(), size);
        if (sent != size) {
            ensurePresent(port_);
            print(kq::format("error: only %ld bytes send\n", static_cast<long>(sent)));
        }
    }

    // An answer that a recording split over several reads may arrive in one piece:
    // what a window read beyond its count is not waited for again.
    void receiveOne(const std::vector<unsigned char>& recorded)
    {
        const std::size_t count = recorded.size();
        const std::size_t got =
            receive(port_, count, recorded, pacing_, timetable_, false, early_).size();
        const std::size_t in = early_ + got;
        early_ = in > count ? in - count : 0;
    }

    // Consecutive recorded reads, answered and compared as one.
    void answerBlock()
    {
        if (block_.empty())
            return;
        const auto got = receive(port_, block_.count(), block_.shown(), pacing_, timetable_, true);
        ensurePresent(port_);
        ++blocks_;
        matched_ += block_.compare(got) ? 1 : 0;
        block_ = ExpectedBlock();
        restUntil(timetable_.next(options_.pause));
    }

    kq::io::SerialIO& port_;
    const ReplayOptions& options_;
    Pacing pacing_;
    // Started with the replay: every pause and window ends at a fixed point of it.
    Timetable timetable_;
    ExpectedBlock block_;
    long blocks_ = 0;
    long matched_ = 0;
    // Bytes read ahead of the recorded reads since the last send or purge.
    std::size_t early_ = 0;
};

}  // namespace

int runReplay(const std::string& serialName, const std::string& inputFile,
              const ReplayOptions& options)
{
    kq::logger::ILogger& logger = consoleLogger();
    std::error_code ignored;
    const bool again = std::filesystem::is_regular_file(inputFile, ignored);
    std::vector<PortMonAction> kept;
    const DumpSurvey survey =
        surveyDump(inputFile, options.reader, [&](const PortMonAction& action) {
            if (!again)
                kept.push_back(action);
        });
    std::unique_ptr<PortMonReader> reader;
    if (again)
        reader = std::make_unique<PortMonReader>(inputFile, options.reader);
    std::size_t at = 0;
    const ActionSource next = [&]() -> const PortMonAction* {
        if (reader)
            return reader->next();
        return at < kept.size() ? &kept[at++] : nullptr;
    };
    kq::io::SerialIO port(portConfig(serialName, options), logger);
    Replayer replayer(port, options);
    replayer.play(next);
    warnAbout(survey, options.reader);
    return replayer.allMatched() ? 0 : 2;
}

}  // namespace quorvex
