#include "Replay.h"

#include "MaskLearner.h"
#include "Progress.h"
#include "ReceiveWindow.h"
#include "common/Console.h"
#include "common/Interrupt.h"
#include "common/LineSettings.h"
#include "portmon/DumpSurvey.h"

#include <kq/StringUtils.h>
#include <kq/io/SerialIO.h>
#include <kq/logger/ConsoleLogChannel.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
    if (text.empty()) {
        return fixedLineSettings(serialName);
    }
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

// The actions of the dump, from its start for every run. A file is simply read
// again; input that cannot be read twice (a pipe) is kept from the first reading,
// the survey that refuses a bad dump before the port opens.
class DumpActions {
public:
    DumpActions(const std::string& inputFile, const ReaderOptions& options)
        : inputFile_(inputFile), options_(options)
    {
        std::error_code ignored;
        again_ = std::filesystem::is_regular_file(inputFile, ignored);
        survey_ = surveyDump(inputFile, options, [&](const PortMonAction& action) {
            if (!again_) {
                kept_.push_back(action);
            }
        });
    }

    const DumpSurvey& survey() const { return survey_; }

    void restart()
    {
        at_ = 0;
        if (again_) {
            reader_ = std::make_unique<PortMonReader>(inputFile_, options_);
        }
    }

    const PortMonAction* next()
    {
        if (reader_) {
            return reader_->next();
        }
        return at_ < kept_.size() ? &kept_[at_++] : nullptr;
    }

private:
    const std::string inputFile_;
    const ReaderOptions options_;
    bool again_ = false;
    DumpSurvey survey_;
    std::vector<PortMonAction> kept_;
    std::size_t at_ = 0;
    std::unique_ptr<PortMonReader> reader_;
};

class Replayer {
public:
    Replayer(kq::io::SerialIO& port, const ReplayOptions& options, Progress& progress,
             std::vector<BlockRecord>& blocks)
        : port_(port), options_(options), progress_(progress), blocks_(blocks)
    {
        pacing_.window = options.window;
        pacing_.fast = options.fast;
        if (options.fast) {
            pacing_.poll = std::chrono::milliseconds(1);
        }
    }

    // Adds each block compared to the caller's; stops early with --fail-fast.
    void play(DumpActions& actions)
    {
        const PrintsCopied copied(transcript_);
        while (!stopped() && (action_ = actions.next())) {
            throwIfInterrupted();
            progress_.step(failures_);
            if (options_.compare && action_->kind == ActionKind::Recv) {
                block_.add(*action_);
                continue;
            }
            answerBlock();
            if (stopped()) {
                break;
            }
            perform(*action_);
            restUntil(timetable_.next(options_.pause));
        }
        answerBlock();
    }

    bool stopped() const { return options_.failFast && failures_ > 0; }

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
        requestEnd_ = Timetable::Clock::now();
        answered_ = false;
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

    // Consecutive recorded reads, answered and compared as one. A block that no
    // send precedes (the device speaks first, or a second answer) counts its
    // latencies from the start of its window.
    void answerBlock()
    {
        if (block_.empty()) {
            return;
        }
        if (answered_) {
            requestEnd_ = Timetable::Clock::now();
        }
        Arrival arrival;
        auto got =
            receive(port_, block_.count(), block_.shown(), pacing_, timetable_, true, 0, &arrival);
        ensurePresent(port_);
        blocks_.push_back(judge(block_, std::move(got), arrival, requestEnd_, options_.judging));
        blocks_.back().transcript = std::move(transcript_);
        transcript_.clear();
        failures_ += blocks_.back().verdict == Verdict::Match ? 0 : 1;
        answered_ = true;
        block_ = ExpectedBlock();
        if (stopped()) {
            print(kq::format("fail-fast: stopped at block %ld (line %ld)\n",
                             static_cast<long>(blocks_.size()), blocks_.back().line));
        } else {
            restUntil(timetable_.next(options_.pause));
        }
    }

    kq::io::SerialIO& port_;
    const ReplayOptions& options_;
    Progress& progress_;
    Pacing pacing_;
    // Started with the replay: every pause and window ends at a fixed point of it.
    Timetable timetable_;
    const PortMonAction* action_ = nullptr;
    ExpectedBlock block_;
    std::vector<BlockRecord>& blocks_;
    long failures_ = 0;
    std::string transcript_;
    // The end of the last send, and whether a block has answered it already (as
    // if so before the first send).
    Timetable::Clock::time_point requestEnd_;
    bool answered_ = true;
    // Bytes read ahead of the recorded reads since the last send or purge.
    std::size_t early_ = 0;
};

RunRecord record(const std::string& inputFile, const std::string& serialName,
                 const ReplayOptions& options)
{
    RunRecord run;
    run.log = inputFile;
    run.port = serialName;
    run.maxLatency = options.judging.maxLatency;
    return run;
}

void summarize(const RunRecord& run)
{
    const long late = run.count(Verdict::Late);
    print(kq::format("compare: %ld of %ld blocks matched", run.count(Verdict::Match),
                     static_cast<long>(run.blocks.size())) +
          (late ? kq::format(", %ld late", late) : "") + "\n");
}

void writeLearned(const std::vector<RunRecord>& runs, std::ofstream& file, const std::string& name)
{
    const MaskSet masks = learnMasks(runs);
    long index = 0;
    for (const BlockRecord& block : runs.front().blocks) {
        ++index;
        const auto mask = masks.find(block.line);
        if (mask == masks.end()) {
            continue;
        }
        print(kq::format("learn: block %ld (line %ld): %ld bytes masked%s\n", index, block.line,
                         static_cast<long>(mask->second.wildcards()),
                         mask->second.anyTail ? ", any length" : ""));
    }
    file << maskText(masks);
    file.close();
    if (!file) {
        throw std::runtime_error(kq::format("can't write the mask file '%s'", name.c_str()));
    }
    print(kq::format("learn: %ld of %ld blocks masked, written to %s\n",
                     static_cast<long>(masks.size()), static_cast<long>(runs.front().blocks.size()),
                     name.c_str()));
}

std::ofstream openLearned(const std::string& name)
{
    std::ofstream file;
    if (name.empty()) {
        return file;
    }
    file.open(name, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw std::runtime_error(kq::format("can't write the mask file '%s'", name.c_str()));
    }
    return file;
}

bool allMatched(const RunRecord& run)
{
    return run.count(Verdict::Match) == static_cast<long>(run.blocks.size());
}

// The exit status, after "complete" unless --fail-fast stopped the replay.
int conclude(const std::vector<RunRecord>& runs, std::ofstream& learned,
             const ReplayOptions& options)
{
    if (options.failFast && !allMatched(runs.back())) {
        return 2;
    }
    if (!options.learnMasks.empty()) {
        writeLearned(runs, learned, options.learnMasks);
    }
    print("complete\n");
    if (!options.learnMasks.empty()) {
        return 0;
    }
    return std::all_of(runs.begin(), runs.end(), allMatched) ? 0 : 2;
}

// One pass over the dump into run; false when --fail-fast stopped it.
bool replayOnce(kq::io::SerialIO& port, const ReplayOptions& options, Progress& progress,
                DumpActions& actions, RunRecord& run)
{
    const auto started = Timetable::Clock::now();
    Replayer replayer(port, options, progress, run.blocks);
    actions.restart();
    replayer.play(actions);
    run.seconds = std::chrono::duration<double>(Timetable::Clock::now() - started).count();
    if (options.compare) {
        summarize(run);
    }
    return !replayer.stopped();
}

}  // namespace

int runReplay(const std::string& serialName, const std::string& inputFile,
              const ReplayOptions& options)
{
    kq::logger::ILogger& logger = consoleLogger();
    DumpActions actions(inputFile, options.reader);
    ReportFiles reports(options.reports);
    std::ofstream learned = openLearned(options.learnMasks);
    kq::io::SerialIO port(portConfig(serialName, options), logger);
    Progress progress(actions.survey().actions() * options.repeat, options.progress);
    std::vector<RunRecord> runs;
    try {
        for (int run = 1; run <= options.repeat; ++run) {
            if (options.repeat > 1) {
                print(kq::format("run %d of %d\n", run, options.repeat));
            }
            runs.push_back(record(inputFile, serialName, options));
            if (!replayOnce(port, options, progress, actions, runs.back())) {
                break;
            }
        }
    } catch (...) {
        // A replay that ended in an error still reports the blocks it compared.
        progress.clear();
        if (!runs.empty()) {
            reports.write(runs.back());
        }
        throw;
    }
    progress.clear();
    reports.write(runs.back());
    warnAbout(actions.survey(), options.reader);
    return conclude(runs, learned, options);
}

}  // namespace quorvex
