#include "Recorder.h"

#include "common/Console.h"
#include "common/LineSettings.h"

#include <kq/StringUtils.h>

#include <cstdio>

namespace quorvex {

namespace {

bool exists(const std::string& fileName)
{
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file) {
        std::fclose(file);
    }
    return file != nullptr;
}

}  // namespace

PortGone::PortGone(const std::string& port)
    : std::runtime_error(kq::format("the port '%s' has gone away", port.c_str()))
{
}

kq::io::SerialConfig startingLine(const std::string& configText)
{
    const kq::io::SerialConfig given = kq::io::SerialConfig::fromString(configText);
    kq::io::SerialConfig line = fixedLineSettings("");
    if (given.baudRate() != 0) {
        line.setBaudRate(given.baudRate());
    }
    if (given.dataSize() != kq::io::DataBitsUnchanged) {
        line.setDataSize(given.dataSize());
    }
    if (given.parity() != kq::io::ParityUnchanged) {
        line.setParity(given.parity());
    }
    if (given.stopBits() != kq::io::StopBitsUnchanged) {
        line.setStopBits(given.stopBits());
    }
    if (given.flowControl() != kq::io::FlowUnchanged) {
        line.setFlowControl(given.flowControl());
    }
    return line;
}

void runRecorder(const RecorderOptions& options)
{
    if (!options.force && exists(options.output)) {
        throw std::runtime_error(
            kq::format("'%s' exists; give --force to replace it", options.output.c_str()));
    }
    Recording recording(options.output, options.serial, options.line.dataSize(),
                        options.line.parity());
    relay(options, recording);
    print(recording.summary());
}

}  // namespace quorvex
