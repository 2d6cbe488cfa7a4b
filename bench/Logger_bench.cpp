#include <kq/StringUtils.h>
#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/FileLogChannel.h>
#include <kq/logger/Logger.h>
#include <kq/logger/SimpleFormatter.h>

#include <benchmark/benchmark.h>
#include <spdlog/fmt/bin_to_hex.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string message = "send -> [ 16 ]: 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10";

void BM_line_layout__kq(benchmark::State& state)
{
    kq::logger::SimpleFormatter formatter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatter.format("io.serial", message));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_line_layout__kq);

// The same layout: local time with milliseconds, the name left-aligned in 16 columns.
void BM_line_layout__spdlog(benchmark::State& state)
{
    spdlog::pattern_formatter formatter("%H:%M:%S.%e [%-16n] %v", spdlog::pattern_time_type::local,
                                        "\n");
    for (auto _ : state) {
        const spdlog::details::log_msg entry("io.serial", spdlog::level::info, message);
        spdlog::memory_buf_t buffer;
        formatter.format(entry, buffer);
        benchmark::DoNotOptimize(std::string(buffer.data(), buffer.size()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_line_layout__spdlog);

// Two threads laying out lines at once, each with its own formatter, as two channels of a
// program do. The real time per line over both threads gives the messages per second.
void BM_line_layout_two_threads__kq(benchmark::State& state)
{
    BM_line_layout__kq(state);
}
BENCHMARK(BM_line_layout_two_threads__kq)->Threads(2)->UseRealTime();

void BM_line_layout_two_threads__spdlog(benchmark::State& state)
{
    BM_line_layout__spdlog(state);
}
BENCHMARK(BM_line_layout_two_threads__spdlog)->Threads(2)->UseRealTime();

// A folder of this process's own, removed at the end of the benchmark.
class BenchFolder {
public:
    BenchFolder()
        : path_(std::filesystem::temp_directory_path() / ("kqbench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ~BenchFolder() { std::filesystem::remove_all(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void BM_file_channel__kq(benchmark::State& state)
{
    const BenchFolder folder;
    kq::logger::FileLogChannel channel(folder.path(), "bench");
    channel.setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    for (auto _ : state) {
        channel.write("io.serial", message);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_file_channel__kq);

// The bare policy the channel keeps: open, append, close for every message.
void BM_file_channel__bare(benchmark::State& state)
{
    const BenchFolder folder;
    const std::string path = folder.path() + "/bare.log";
    for (auto _ : state) {
        const std::string text = message + "\n";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, text.data(), text.size()));
        ::close(fd);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_file_channel__bare);

const std::vector<unsigned char> transfer(16, 0x5A);

// A transfer's debug line while the level lets only the info family through, the way
// SerialIO logs each step: the level is asked before anything is formatted.
void BM_suppressed_debug__kq(benchmark::State& state)
{
    kq::logger::ILogger& logger =
        kq::logger::add("bench.suppressed", std::make_shared<kq::logger::NullLogChannel>());
    logger.setLevel(0);
    for (auto _ : state) {
        if (logger.level() >= 1) {
            logger.debugDump(kq::format("send -> [ %ld ]: ", 16L), transfer.data(), 16);
        }
    }
}
BENCHMARK(BM_suppressed_debug__kq);

void BM_suppressed_debug__spdlog(benchmark::State& state)
{
    auto logger =
        std::make_shared<spdlog::logger>("bench", std::make_shared<spdlog::sinks::null_sink_mt>());
    logger->set_level(spdlog::level::info);
    for (auto _ : state) {
        logger->debug("send -> [ {} ]: {}", 16, spdlog::to_hex(transfer));
    }
}
BENCHMARK(BM_suppressed_debug__spdlog);

}  // namespace
