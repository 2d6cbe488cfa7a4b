// The replay's schedule: the same dump against QuorvexDevice on a pseudo-terminal,
// with the recorded pacing and with --fast. The counter "seconds" per run shows
// the ratio; --fast should take the device's answer times and little else.
// "wall/schedule" is the wall time over the time the recorded pacing fixes: a replay
// that keeps to it to the millisecond stays within 1.001.
#include "support/Programs.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// A dump on disk and the time its replay is to take with the recorded pacing:
// 100 ms after every action and a 2000 ms window for every read.
struct Dump {
    std::string path;
    double scheduleSeconds = 0;
};

class DumpWriter {
public:
    DumpWriter() : path_("/tmp/replay-schedule-" + std::to_string(::getpid()) + ".log"), out_(path_)
    {
    }

    void add(const char* request, const char* status, const std::string& payload)
    {
        out_ << ++n_ << "\t0.1\tt.exe\t" << request << "\tSerial0\t" << status << "\t" << payload
             << "\n";
        seconds_ += std::string(request) == "IRP_MJ_READ" ? 2.1 : 0.1;
    }

    Dump close()
    {
        out_.close();
        return Dump{path_, seconds_};
    }

private:
    std::string path_;
    std::ofstream out_;
    int n_ = 0;
    double seconds_ = 0;
};

// Ten exchanges of a write, an answer split over two reads and a read of nothing,
// with a purge before every second one.
Dump mixedDump()
{
    DumpWriter dump;
    for (int i = 0; i < 10; ++i) {
        if (i % 2 == 0) {
            dump.add("IOCTL_SERIAL_PURGE", "SUCCESS", "");
        }
        dump.add("IRP_MJ_WRITE", "SUCCESS", "Length 2: 0" + std::to_string(i) + " 01");
        dump.add("IRP_MJ_READ", "SUCCESS", "Length 1: 90");
        dump.add("IRP_MJ_READ", "SUCCESS", "Length 1: 00");
        dump.add("IRP_MJ_READ", "TIMEOUT", "Length 0:");
    }
    return dump.close();
}

// A hundred actions: fifty writes, each answered in one read.
Dump exchangeDump()
{
    DumpWriter dump;
    for (int i = 0; i < 50; ++i) {
        dump.add("IRP_MJ_WRITE", "SUCCESS", "Length 2: 0" + std::to_string(i % 10) + " 01");
        dump.add("IRP_MJ_READ", "SUCCESS", "Length 2: 90 00");
    }
    return dump.close();
}

// The counter "seconds" is the wall time of the replay; "wall/schedule" that time
// over the recorded pacing's, for runs with that pacing.
void replay(benchmark::State& state, const Dump& dump, const char* options)
{
    for (auto _ : state) {
        const kqbench::PtyDevice device(dump.path);
        const auto start = std::chrono::steady_clock::now();
        if (!kqbench::replayOn(device.port(), dump.path, options)) {
            state.SkipWithError("the replay failed");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["seconds"] = seconds;
        if (std::string(options).empty()) {
            state.counters["wall/schedule"] = seconds / dump.scheduleSeconds;
        }
    }
    std::remove(dump.path.c_str());
}

void RecordedPacing(benchmark::State& state)
{
    replay(state, mixedDump(), "");
}

void Fast(benchmark::State& state)
{
    replay(state, mixedDump(), "--fast");
}

// Fifty sends and fifty answered reads with the recorded pacing.
void HundredActions(benchmark::State& state)
{
    replay(state, exchangeDump(), "");
}

BENCHMARK(RecordedPacing)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(Fast)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(HundredActions)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
