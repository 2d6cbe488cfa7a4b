#include "PortMonWriter.h"

#include <kq/StringUtils.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quorvex {

namespace {

std::runtime_error fileError(const char* what, const std::string& fileName)
{
    return std::runtime_error(
        kq::format("can't %s '%s': %s", what, fileName.c_str(), std::strerror(errno)));
}

}  // namespace

// Built by appending: a line per chunk is on the relay's path, and the details
// of a 4 KiB chunk are 12 KiB of text.
std::string portMonLine(long sequence, double elapsed, const std::string& process,
                        const std::string& request, const std::string& port,
                        const std::string& details)
{
    std::string line = kq::format("%ld\t%.8f\t", sequence, elapsed);
    line.reserve(line.size() + process.size() + request.size() + port.size() + details.size() + 16);
    line.append(process).append(1, '\t').append(request).append(1, '\t').append(port);
    line.append("\tSUCCESS\t").append(details).append("\t\r\n");
    return line;
}

std::string lengthDetails(const unsigned char* bytes, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = kq::format("Length %lu:", static_cast<unsigned long>(size));
    std::size_t at = text.size();
    text.resize(at + 3 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text[at++] = ' ';
        text[at++] = digits[bytes[i] >> 4];
        text[at++] = digits[bytes[i] & 0x0F];
    }
    return text;
}

// Binary: the CR LF line ends are written as they stand on every platform.
PortMonWriter::PortMonWriter(const std::string& fileName)
    : file_(std::fopen(fileName.c_str(), "wb")),
      fileName_(fileName),
      last_(std::chrono::steady_clock::now())
{
    if (!file_) {
        throw fileError("create", fileName);
    }
}

PortMonWriter::~PortMonWriter()
{
    std::fclose(file_);
}

void PortMonWriter::write(const std::string& process, const std::string& request,
                          const std::string& port, const std::string& details)
{
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    const std::string line = portMonLine(sequence_, elapsed, process, request, port, details);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        throw fileError("write", fileName_);
    }
    ++sequence_;
}

}  // namespace quorvex
