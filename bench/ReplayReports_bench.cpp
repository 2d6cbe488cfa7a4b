// What the reports cost: a 30,000-line log of 400 exchanges, replayed with --fast
// against QuorvexDevice on a pseudo-terminal, once with the JSON, JUnit and HTML
// reports (__kq) and once without (__bare). scripts/bench prints bare / kq: the
// reports are to add under 5% to the wall time.
#include "support/Programs.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

const std::string prefix = "/tmp/replay-reports-" + std::to_string(::getpid());

// 400 exchanges of 75 lines each: a write, its answer split over two reads, and the
// status requests a real log is full of.
std::string writeLog()
{
    const std::string path = prefix + ".log";
    std::ofstream out(path);
    long line = 0;
    auto add = [&](const char* request, const std::string& payload) {
        out << ++line << "\t0.00001\tHost.exe:1\t" << request << "\tSerial0\tSUCCESS\t" << payload
            << "\r\n";
    };
    for (int i = 0; i < 400; ++i) {
        add("IRP_MJ_WRITE", "Length 5: 02 00 01 10 " + std::to_string(10 + i % 90));
        for (int n = 0; n < 72; ++n) {
            add(n % 2 ? "IOCTL_SERIAL_GET_COMMSTATUS" : "IOCTL_SERIAL_WAIT_ON_MASK", "");
        }
        add("IRP_MJ_READ", "Length 4: 02 00 05 10");
        add("IRP_MJ_READ", "Length 5: 02 01 04 00 14");
    }
    return path;
}

void replay(benchmark::State& state, const std::string& options)
{
    const std::string log = writeLog();
    for (auto _ : state) {
        const kqbench::PtyDevice device(log);
        const auto start = std::chrono::steady_clock::now();
        if (!kqbench::replayOn(device.port(), log, "--fast --compare " + options)) {
            state.SkipWithError("the replay failed");
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::remove(log.c_str());
    for (const char* ext : {".json", ".xml", ".html"}) {
        std::remove((prefix + ext).c_str());
    }
}

void BM_replay_reports__kq(benchmark::State& state)
{
    replay(state,
           "--json=" + prefix + ".json --junit=" + prefix + ".xml --html=" + prefix + ".html");
}

void BM_replay_reports__bare(benchmark::State& state)
{
    replay(state, "");
}

BENCHMARK(BM_replay_reports__kq)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_replay_reports__bare)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
