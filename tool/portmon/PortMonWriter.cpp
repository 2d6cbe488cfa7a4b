#include "PortMonWriter.h"

#include "common/Console.h"

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

std::string portMonLine(long sequence, double elapsed, const std::string& process,
                        const std::string& request, const std::string& port,
                        const std::string& details)
{
    return kq::format("%ld\t%.8f\t%s\t%s\t%s\tSUCCESS\t%s\t\r\n", sequence, elapsed,
                      process.c_str(), request.c_str(), port.c_str(), details.c_str());
}

std::string lengthDetails(const unsigned char* bytes, std::size_t size)
{
    return kq::format("Length %lu: ", static_cast<unsigned long>(size)) +
           separatedHex(bytes, static_cast<unsigned int>(size));
}

// Binary: the CR LF line ends are written as they stand on every platform.
PortMonWriter::PortMonWriter(const std::string& fileName)
    : file_(std::fopen(fileName.c_str(), "wb")),
      fileName_(fileName),
      last_(std::chrono::steady_clock::now())
{
    if (!file_)
        throw fileError("create", fileName);
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
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
        throw fileError("write", fileName_);
    ++sequence_;
}

}  // namespace quorvex
