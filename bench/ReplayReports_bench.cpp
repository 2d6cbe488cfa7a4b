// What the reports cost: a 30,000-line log of 400 exchanges, replayed with --fast
// against QuorvexDevice on a pseudo-terminal, once with the JSON, JUnit and HTML
// reports (__kq) and once without (__bare). scripts/bench prints bare / kq: the
// reports are to add under 5% to the wall time.
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
        for (int n = 0; n < 72; ++n)
            add(n % 2 ? "IOCTL_SERIAL_GET_COMMSTATUS" : "IOCTL_SERIAL_WAIT_ON_MASK", "");
        add("IRP_MJ_READ", "Length 4: 02 00 05 10");
        add("IRP_MJ_READ", "Length 5: 02 01 04 00 14");
    }
    return path;
}

void replay(benchmark::State& state, const std::string& options)
{
    const std::string dir = binDir(), log = writeLog();
    for (auto _ : state) {
        FILE* device = ::popen((dir + "QuorvexDevice --pty -i=" + log).c_str(), "r");
        char line[256] = {};
        if (!device || !std::fgets(line, sizeof line, device))
            throw std::runtime_error("QuorvexDevice did not start");
        std::string port(line + 6);
        port.erase(port.find_last_not_of("\r\n") + 1);
        const auto start = std::chrono::steady_clock::now();
        const std::string loader = dir + "QuorvexLoader -s=" + port + " -i=" + log +
                                   " --fast --compare " + options + " >/dev/null 2>&1";
        if (std::system(loader.c_str()) != 0)
            state.SkipWithError("the replay failed");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        ::pclose(device);
    }
    std::remove(log.c_str());
    for (const char* ext : {".json", ".xml", ".html"})
        std::remove((prefix + ext).c_str());
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
