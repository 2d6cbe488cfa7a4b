#pragma once

#include "support/PortPair.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kqtest {

// A device on a port pair, played by a thread of the test: it reads requests of
// a fixed size and writes what answer() makes of each.
class ScriptedDevice {
public:
    using Bytes = std::vector<unsigned char>;

    ScriptedDevice(std::size_t requestSize, std::function<Bytes(const Bytes&)> answer);
    ~ScriptedDevice();
    ScriptedDevice(const ScriptedDevice&) = delete;
    ScriptedDevice& operator=(const ScriptedDevice&) = delete;

    std::string portName() const { return pair_.portName(); }
    // The requests seen so far.
    std::vector<Bytes> requests() const;

private:
    void serve();

    PortPair pair_;
    const std::size_t requestSize_;
    const std::function<Bytes(const Bytes&)> answer_;
    mutable std::mutex lock_;
    std::vector<Bytes> requests_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kqtest
