#include "Recording.h"

#include <kq/StringUtils.h>

#include <utility>

namespace quorvex {

namespace {

// The names a Windows driver's log gives; anything else reads as the default.
const char* parityName(kq::io::Parity parity)
{
    return parity == kq::io::ParityEven ? "EVEN" : parity == kq::io::ParityOdd ? "ODD" : "NONE";
}

const char* stopBitsName(kq::io::StopBits stopBits)
{
    return stopBits == kq::io::StopBitsOneAndHalf ? "1.5"
           : stopBits == kq::io::StopBitsTwo      ? "2"
                                                  : "1";
}

int wordLength(kq::io::DataSize size)
{
    return size >= kq::io::DataBits5 && size <= kq::io::DataBits8 ? size - kq::io::DataBits5 + 5
                                                                  : 8;
}

// The handshake as a Windows driver keeps it: ControlHandShake and FlowReplace
// in hex (DTR on; CTS handshake; RTS on, or RTS handshake; XON/XOFF both ways).
std::string handflowDetails(kq::io::FlowControl flow)
{
    unsigned shake = 0x01, replace = 0x40;
    if (flow == kq::io::FlowHardware) {
        shake = 0x09;
        replace = 0x80;
    } else if (flow == kq::io::FlowSoftware) {
        replace = 0x43;
    }
    return kq::format("Shake:%x Replace:%x XonLimit:2048 XoffLimit:512", shake, replace);
}

}  // namespace

Recording::Recording(std::string fileName, std::string portName, kq::io::DataSize dataSize,
                     kq::io::Parity parity)
    : fileName_(std::move(fileName)),
      port_(std::move(portName)),
      dataSize_(dataSize),
      parity_(parity)
{
}

void Recording::start()
{
    log_ = std::make_unique<PortMonWriter>(fileName_);
}

void Recording::line(const char* request, const std::string& details)
{
    log_->write(process_, request, port_, details);
}

void Recording::opened(const std::string& process)
{
    process_ = process.empty() ? "unknown" : process;
    ++opens_;
    line("IRP_MJ_CREATE", "Options: Open");
}

void Recording::closed()
{
    ++closes_;
    line("IRP_MJ_CLOSE", "");
    process_ = "unknown";
}

void Recording::wrote(const unsigned char* bytes, std::size_t size)
{
    ++writes_;
    writeBytes_ += static_cast<long>(size);
    log_->writeBytes(process_, "IRP_MJ_WRITE", port_, bytes, size);
}

void Recording::read(const unsigned char* bytes, std::size_t size)
{
    ++reads_;
    readBytes_ += static_cast<long>(size);
    log_->writeBytes(process_, "IRP_MJ_READ", port_, bytes, size);
}

void Recording::purged(bool receive, bool transmit)
{
    ++purges_;
    line("IOCTL_SERIAL_PURGE",
         std::string("Purge:") + (transmit ? " TXCLEAR" : "") + (receive ? " RXCLEAR" : ""));
}

void Recording::changed(const LineState& from, const LineState& to)
{
    if (to.baudRate != from.baudRate) {
        ++settings_;
        line("IOCTL_SERIAL_SET_BAUD_RATE", kq::format("Rate: %u", to.baudRate));
    }
    if (to.stopBits != from.stopBits) {
        ++settings_;
        line("IOCTL_SERIAL_SET_LINE_CONTROL",
             kq::format("StopBits: %s Parity: %s WordLength: %d", stopBitsName(to.stopBits),
                        parityName(parity_), wordLength(dataSize_)));
    }
    if (to.flow != from.flow) {
        ++settings_;
        line("IOCTL_SERIAL_SET_HANDFLOW", handflowDetails(to.flow));
    }
}

std::string Recording::summary() const
{
    return kq::format(
        "recorded: %ld writes (%ld bytes), %ld reads (%ld bytes), %ld settings changes, %ld "
        "purges\n",
        writes_, writeBytes_, reads_, readBytes_, settings_, purges_);
}

}  // namespace quorvex
