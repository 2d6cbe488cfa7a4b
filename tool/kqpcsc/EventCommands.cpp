// wait and watch: the commands that follow the service's reader and card events.
#include "CardSession.h"
#include "Commands.h"
#include "Report.h"
#include "common/Deadline.h"
#include "common/Interrupt.h"

#include <kq/StringUtils.h>

#include <algorithm>
#include <chrono>

namespace quorvex {

namespace {

using kq::io::ReaderState;

class TimeLimit {
public:
    explicit TimeLimit(unsigned int ms)
        : infinite_(ms == kq::io::InfiniteTimeout), deadline_(std::chrono::milliseconds(ms))
    {
    }
    unsigned int left() const
    {
        return infinite_ ? kq::io::InfiniteTimeout
                         : static_cast<unsigned int>(deadline_.left().count());
    }

private:
    bool infinite_;
    Deadline deadline_;
};

bool known(const std::vector<ReaderState>& readers, const std::string& name)
{
    return std::any_of(readers.begin(), readers.end(),
                       [&name](const ReaderState& r) { return r.reader == name; });
}

// Brings the readers in line with the service's list, reporting what came and went.
// A reader the service reported gone is dropped, and added again if still listed.
void updateReaderList(std::vector<ReaderState>& readers, const Report& report)
{
    const auto names = kq::io::enumeratePCSCDevices();
    for (auto it = readers.begin(); it != readers.end();) {
        if (!it->gone && std::find(names.begin(), names.end(), it->reader) != names.end()) {
            ++it;
            continue;
        }
        if (it->present) {
            report.event("card removed", it->reader, {});
        }
        report.event("reader removed", it->reader, {});
        it = readers.erase(it);
    }
    for (const auto& name : names) {
        if (!known(readers, name)) {
            report.event("reader added", name, {});
            readers.push_back(ReaderState{name});
        }
    }
}

void reportCard(const ReaderState& before, const ReaderState& now, const Report& report)
{
    const bool otherCard = before.present && now.present && before.atr != now.atr;
    if (before.present && (!now.present || otherCard)) {
        report.event("card removed", now.reader, {});
    }
    if (now.present && (!before.present || otherCard)) {
        report.event("card inserted", now.reader, now.atr);
    }
}

}  // namespace

int waitForCard(const std::string& name, const Options& options)
{
    openReader(name);
    const Report report(options.json);
    const TimeLimit limit(options.timeoutMs);
    std::vector<ReaderState> state{ReaderState{name}};
    kq::io::waitForReaderChange(state, 0);
    if (!state[0].present) {
        report.waiting(name);
    }
    while (!state[0].present) {
        if (state[0].gone) {
            throw std::runtime_error(kq::format("the reader '%s' is gone", name.c_str()));
        }
        if (!kq::io::waitForReaderChange(state, limit.left())) {
            throw std::runtime_error(
                kq::format("no card in '%s' within %u ms", name.c_str(), options.timeoutMs));
        }
    }
    report.event("card present", name, state[0].atr);
    return 0;
}

int watchReaders(const Options& options)
{
    checkService();
    catchInterrupts(OnInterrupt::EndQuietly);
    const Report report(options.json);
    const TimeLimit limit(options.timeoutMs);
    std::vector<ReaderState> readers;
    ReaderState list{kq::io::ReaderListName};
    updateReaderList(readers, report);
    for (;;) {
        std::vector<ReaderState> states = readers;
        states.push_back(list);
        if (!kq::io::waitForReaderChange(states, limit.left())) {
            return 0;
        }
        list = states.back();
        states.pop_back();
        for (std::size_t i = 0; i < readers.size(); ++i) {
            reportCard(readers[i], states[i], report);
        }
        readers = states;
        const bool anyGone = std::any_of(readers.begin(), readers.end(),
                                         [](const ReaderState& r) { return r.gone; });
        if (list.changed || anyGone) {
            updateReaderList(readers, report);
        }
    }
}

}  // namespace quorvex
