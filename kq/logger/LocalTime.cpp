#include <kq/logger/detail/LocalTime.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <sys/stat.h>

namespace kq {
namespace logger {
namespace detail {

namespace {

const std::int64_t TicksPerSecond = 10000000;
const std::int64_t TicksPerMillisecond = 10000;

// TZ's value as the environment holds it; unset is not the same as empty. A value too long
// to keep is never the same as the next one, so that its lines read the zone every time.
struct ZoneVariable {
    enum { unset, kept, tooLong } state = unset;
    char value[256] = {};

    bool is(const char* tz) const
    {
        return tz ? state == kept && std::strcmp(tz, value) == 0 : state == unset;
    }
    void take(const char* tz)
    {
        const size_t length = tz ? std::strlen(tz) : 0;
        state = !tz ? unset : length < sizeof value ? kept : tooLong;
        if (state == kept) {
            std::memcpy(value, tz, length + 1);
        }
    }
};

// Tells one version of the system's zone file from another (Windows has none): device,
// inode, size and the times of the last write and the last change.
using FileStamp = std::array<long long, 5>;

FileStamp systemZoneFile()
{
    struct stat file {};
    if (::stat("/etc/localtime", &file) != 0) {
        return {};
    }
    return {static_cast<long long>(file.st_dev), static_cast<long long>(file.st_ino),
            static_cast<long long>(file.st_size), static_cast<long long>(file.st_mtime),
            static_cast<long long>(file.st_ctime)};
}

// localtime_r reads TZ on its first call only (localtime reads it on every call): tzset
// makes the C library read the zone again, the file included when TZ is unset. The
// Windows runtime reads the zone when the program calls _tzset, as it always did.
void readZone()
{
#if !defined(_WIN32)
    ::tzset();
#endif
}

bool convert(std::time_t seconds, std::tm& local)
{
#if defined(_WIN32)
    return ::localtime_s(&local, &seconds) == 0;
#else
    return ::localtime_r(&seconds, &local) != nullptr;
#endif
}

// The zone the C library was last told to read, shared by every thread.
struct Zone {
    std::mutex lock;
    // Guarded by lock.
    bool read = false;
    ZoneVariable variable;
    FileStamp file{};
    std::time_t fileChecked = 0;
    // Changes each time the zone is read again; 0 is never a generation.
    std::atomic<unsigned> generation{1};
};

Zone& zone()
{
    static Zone shared;
    return shared;
}

// One thread's last conversion. Lines come many to a second, so most of them reuse it and
// skip the conversion and the C library's zone lock. Constant-initialized: no guard to check.
struct LastConversion {
    unsigned generation = 0;
    std::time_t second = 0;
    ZoneVariable variable;
    std::tm local{};
};

// Under the zone lock: has the C library read the zone again when TZ's value differs from
// the one it read, or, without TZ, when the zone file changed (looked at once a second).
void refresh(Zone& zone, const char* tz)
{
    bool changed = !zone.read || !zone.variable.is(tz);
    const std::time_t now = std::time(nullptr);
    if (!tz && (changed || zone.fileChecked != now)) {
        const FileStamp file = systemZoneFile();
        changed = changed || file != zone.file;
        zone.file = file;
        zone.fileChecked = now;
    }
    if (!changed) {
        return;
    }
    readZone();
    zone.read = true;
    zone.variable.take(tz);
    zone.generation.fetch_add(1);
}

// The slow path of localTime, apart so that the common one stays short.
void convertAgain(LastConversion& last, std::time_t seconds, const char* tz)
{
    Zone& shared = zone();
    std::lock_guard<std::mutex> guard(shared.lock);
    refresh(shared, tz);
    last.generation = shared.generation.load();
    last.second = seconds;
    last.variable.take(tz);
    if (!convert(seconds, last.local)) {
        last.local = std::tm{};
    }
}

}  // namespace

std::tm localTime(std::time_t seconds)
{
    const char* tz = std::getenv("TZ");
    thread_local LastConversion last;
    if (last.second != seconds || last.generation != zone().generation.load() ||
        !last.variable.is(tz)) {
        convertAgain(last, seconds, tz);
    }
    return last.local;
}

LocalClock localClock(std::int64_t ticks)
{
    // Rounded down, so that a reading before 1970 falls in the second before it.
    std::int64_t seconds = ticks / TicksPerSecond;
    if (ticks % TicksPerSecond < 0) {
        --seconds;
    }
    const auto milliseconds = (ticks - seconds * TicksPerSecond) / TicksPerMillisecond;
    return {localTime(static_cast<std::time_t>(seconds)), static_cast<int>(milliseconds)};
}

}  // namespace detail
}  // namespace logger
}  // namespace kq
