#include "Programs.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace kqbench {

std::string binDir()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string self(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    return self.substr(0, self.rfind('/') + 1);
}

PtyDevice::PtyDevice(const std::string& log)
    : process_(::popen((binDir() + "QuorvexDevice --pty -i=" + log).c_str(), "r"))
{
    char line[256] = {};
    if (!process_ || !std::fgets(line, sizeof line, process_)) {
        if (process_) {
            ::pclose(process_);
        }
        throw std::runtime_error("QuorvexDevice did not start");
    }
    port_ = line + 6;
    port_.erase(port_.find_last_not_of("\r\n") + 1);
}

PtyDevice::~PtyDevice()
{
    ::pclose(process_);
}

bool replayOn(const std::string& port, const std::string& log, const std::string& options)
{
    const std::string loader =
        binDir() + "QuorvexLoader -s=" + port + " -i=" + log + " " + options + " >/dev/null 2>&1";
    return std::system(loader.c_str()) == 0;
}

}  // namespace kqbench
