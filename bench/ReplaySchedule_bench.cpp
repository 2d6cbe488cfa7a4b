// The replay's schedule: the same dump against QuorvexDevice on a pseudo-terminal,
// with the recorded pacing and with --fast. The counter "seconds" per run shows
// the ratio; --fast should take the device's answer times and little else.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

std::string binDir()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string self(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    return self.substr(0, self.rfind('/') + 1);
}

// Ten exchanges of a write, an answer split over two reads and a read of nothing,
// with a purge before every second one.
std::string writeDump()
{
    const std::string path = "/tmp/replay-schedule-" + std::to_string(::getpid()) + ".log";
    std::ofstream dump(path);
    int n = 0;
    for (int i = 0; i < 10; ++i) {
        if (i % 2 == 0)
            dump << ++n << "\t0.1\tt.exe\tIOCTL_SERIAL_PURGE\tSerial0\tSUCCESS\t\n";
        dump << ++n << "\t0.1\tt.exe\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 2: 0" << i % 10
             << " 01\n";
        dump << ++n << "\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 1: 90\n";
        dump << ++n << "\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 1: 00\n";
        dump << ++n << "\t0.1\tt.exe\tIRP_MJ_READ\tSerial0\tTIMEOUT\tLength 0:\n";
    }
    return path;
}

void replay(benchmark::State& state, const char* options)
{
    const std::string dir = binDir();
    const std::string dump = writeDump();
    for (auto _ : state) {
        FILE* device = ::popen((dir + "QuorvexDevice --pty -i=" + dump).c_str(), "r");
        char line[256] = {};
        if (!device || !std::fgets(line, sizeof line, device))
            throw std::runtime_error("QuorvexDevice did not start");
        std::string port(line + 6);
        port.erase(port.find_last_not_of("\r\n") + 1);
        const auto start = std::chrono::steady_clock::now();
        const std::string loader =
            dir + "QuorvexLoader -s=" + port + " -i=" + dump + " " + options + " >/dev/null 2>&1";
        if (std::system(loader.c_str()) != 0)
            state.SkipWithError("the replay failed");
        state.counters["seconds"] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ::pclose(device);
    }
    std::remove(dump.c_str());
}

void RecordedPacing(benchmark::State& state)
{
    replay(state, "");
}

void Fast(benchmark::State& state)
{
    replay(state, "--fast");
}

BENCHMARK(RecordedPacing)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(Fast)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
