#include "Recorder.h"

namespace quorvex {

void relay(const RecorderOptions&, Recording&)
{
    throw std::runtime_error("recording is not available on Windows yet");
}

}  // namespace quorvex
