#include "ScriptedDevice.h"

namespace kqtest {

ScriptedDevice::ScriptedDevice(std::size_t requestSize, std::function<Bytes(const Bytes&)> answer)
    : requestSize_(requestSize), answer_(std::move(answer)), thread_([this] { serve(); })
{
}

ScriptedDevice::~ScriptedDevice()
{
    stop_ = true;
    thread_.join();
}

std::vector<ScriptedDevice::Bytes> ScriptedDevice::requests() const
{
    const std::lock_guard<std::mutex> hold(lock_);
    return requests_;
}

// Looks for the stop flag between reads, so the thread ends soon after the test.
void ScriptedDevice::serve()
{
    Bytes request;
    while (!stop_) {
        const Bytes piece =
            pair_.deviceRead(requestSize_ - request.size(), std::chrono::milliseconds(50));
        request.insert(request.end(), piece.begin(), piece.end());
        if (request.size() < requestSize_) {
            continue;
        }
        {
            const std::lock_guard<std::mutex> hold(lock_);
            requests_.push_back(request);
        }
        pair_.deviceWrite(answer_(request));
        request.clear();
    }
}

}  // namespace kqtest
