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

void appendHead(std::string& line, long sequence, double elapsed, const std::string& process,
                const char* request, const std::string& port)
{
    char numbers[64];
    const int size = std::snprintf(numbers, sizeof numbers, "%ld\t%.8f\t", sequence, elapsed);
    line.append(numbers, static_cast<std::size_t>(size));
    line.append(process).append(1, '\t').append(request).append(1, '\t').append(port);
    line.append("\tSUCCESS\t");
}

void appendLength(std::string& text, const unsigned char* bytes, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    char count[32];
    const int length =
        std::snprintf(count, sizeof count, "Length %lu:", static_cast<unsigned long>(size));
    text.append(count, static_cast<std::size_t>(length));
    std::size_t at = text.size();
    text.resize(at + 3 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text[at++] = ' ';
        text[at++] = digits[bytes[i] >> 4];
        text[at++] = digits[bytes[i] & 0x0F];
    }
}

const char lineEnd[] = "\t\r\n";

}  // namespace

std::string portMonLine(long sequence, double elapsed, const std::string& process,
                        const std::string& request, const std::string& port,
                        const std::string& details)
{
    std::string line;
    appendHead(line, sequence, elapsed, process, request.c_str(), port);
    return line.append(details).append(lineEnd);
}

std::string lengthDetails(const unsigned char* bytes, std::size_t size)
{
    std::string text;
    appendLength(text, bytes, size);
    return text;
}

// Binary: the CR LF line ends are written as they stand on every platform.
// Unbuffered: each line goes out whole in one write, with no copy into a
// stream buffer and no flush after it.
PortMonWriter::PortMonWriter(const std::string& fileName)
    : file_(std::fopen(fileName.c_str(), "wb")),
      fileName_(fileName),
      last_(std::chrono::steady_clock::now())
{
    if (!file_) {
        throw fileError("create", fileName);
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

PortMonWriter::~PortMonWriter()
{
    std::fclose(file_);
}

void PortMonWriter::write(const std::string& process, const char* request, const std::string& port,
                          const std::string& details)
{
    begin(process, request, port);
    line_.append(details);
    finish();
}

void PortMonWriter::writeBytes(const std::string& process, const char* request,
                               const std::string& port, const unsigned char* bytes,
                               std::size_t size)
{
    begin(process, request, port);
    appendLength(line_, bytes, size);
    finish();
}

void PortMonWriter::begin(const std::string& process, const char* request, const std::string& port)
{
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - last_).count();
    last_ = now;
    line_.clear();
    appendHead(line_, sequence_, elapsed, process, request, port);
}

void PortMonWriter::finish()
{
    line_.append(lineEnd);
    errno = 0;
    if (std::fwrite(line_.data(), 1, line_.size(), file_) != line_.size() ||
        std::fflush(file_) != 0) {
        throw fileError("write", fileName_);
    }
    ++sequence_;
}

}  // namespace quorvex
