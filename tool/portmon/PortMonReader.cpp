#include "PortMonReader.h"

#include "TextPayload.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace quorvex {

namespace {

// Requests held for a completion line; past this many, a request is returned as it stands.
const std::size_t maxPending = 1024;

std::vector<unsigned char> decode(std::string hex)
{
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    return kq::NumberFormatter::string2buffer(hex);
}

}  // namespace

// Binary mode, so '\r' handling is the same on every platform; readLine strips it.
// fopen shares the file for reading and writing on both platforms. It opens a
// folder on Linux (reading it then fails) but not on Windows: a folder is refused
// on both.
PortMonReader::PortMonReader(const std::string& fileName, const ReaderOptions& options)
    : file_(std::fopen(fileName.c_str(), "rb")),
      buffer_(64 * 1024),
      fileName_(fileName),
      options_(options)
{
    std::error_code ignored;
    if (file_ && std::filesystem::is_directory(fileName, ignored)) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!file_) {
        throw std::runtime_error(kq::format("can't open '%s'", fileName.c_str()));
    }
}

PortMonReader::~PortMonReader()
{
    std::fclose(file_);
}

const PortMonAction* PortMonReader::next()
{
    std::string line;
    while (readLine(line)) {
        if (take(line)) {
            return &action_;
        }
    }
    if (pending_.empty()) {
        return nullptr;
    }
    action_ = std::move(pending_.front().second);
    pending_.erase(pending_.begin());
    return &action_;
}

bool PortMonReader::refill()
{
    bufferStart_ = 0;
    bufferEnd_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (bufferEnd_ == 0 && std::ferror(file_)) {
        throw DumpError(kq::format("can't read '%s' at line %ld: %s", fileName_.c_str(), line_ + 1,
                                   std::strerror(errno)));
    }
    return bufferEnd_ > 0;
}

// A read error is no end of the dump: replaying what came before it as if it
// were all would report success for half a recording.
bool PortMonReader::readLine(std::string& line)
{
    line.clear();
    bool any = false;
    while (bufferStart_ < bufferEnd_ || refill()) {
        const char* start = buffer_.data() + bufferStart_;
        const std::size_t size = bufferEnd_ - bufferStart_;
        const char* end = static_cast<const char*>(std::memchr(start, '\n', size));
        const std::size_t length = end ? static_cast<std::size_t>(end - start) : size;
        if (line.size() + length > maxLineLength) {
            throw DumpError(kq::format("line %ld is longer than %lu bytes: no PortMon line is",
                                       line_ + 1, static_cast<unsigned long>(maxLineLength)));
        }
        line.append(start, length);
        bufferStart_ += length + (end ? 1 : 0);
        any = true;
        if (end) {
            break;
        }
    }
    if (!any) {
        return false;
    }
    ++line_;
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool PortMonReader::take(const std::string& line)
{
    const PortMonLine parsed = parsePortMonLine(line, options_.lenient, options_.settings);
    action_ = PortMonAction();
    action_.line = line_;
    takeTime(parsed.time);
    action_.time = parsed.time;
    action_.elapsedSum = elapsedSum_;
    if (parsed.kind == ActionKind::None) {
        if (complete(parsed)) {
            return true;
        }
        if (parsed.namesRequest) {
            countNotUnderstood();
        }
        return false;
    }
    if (!parsed.port.empty()) {
        ports_.insert(parsed.port);
    }
    if (!options_.port.empty() && parsed.port != options_.port) {
        return false;
    }
    action_.kind = parsed.kind;
    action_.port = parsed.port;
    action_.change = parsed.change;
    if (parsed.kind != ActionKind::Send && parsed.kind != ActionKind::Recv) {
        return true;
    }
    action_.declared = parsed.declared;
    if (options_.lenient && !parsed.hasPayload && !parsed.sequence.empty() &&
        pending_.size() < maxPending) {
        pending_.emplace_back(parsed.sequence, action_);
        return false;
    }
    if (parsed.hasPayload) {
        decodePayload(parsed);
    }
    return true;
}

// A completion line: the number of a waiting request, no request of its own, a payload.
bool PortMonReader::complete(const PortMonLine& parsed)
{
    if (parsed.sequence.empty() || !parsed.hasPayload || parsed.kind != ActionKind::None) {
        return false;
    }
    const auto waiting = std::find_if(pending_.begin(), pending_.end(), [&](const auto& entry) {
        return entry.first == parsed.sequence;
    });
    if (waiting == pending_.end()) {
        return false;
    }
    action_ = std::move(waiting->second);
    pending_.erase(waiting);
    if (parsed.declared >= 0) {
        action_.declared = parsed.declared;
    }
    decodePayload(parsed);
    return true;
}

void PortMonReader::decodePayload(const PortMonLine& parsed)
{
    if (options_.dot < 0) {
        action_.data = decode(parsed.payload);
        return;
    }
    TextPayload text = decodeTextPayload(parsed.payload, action_.declared,
                                         static_cast<unsigned char>(options_.dot));
    action_.data = std::move(text.bytes);
    if (action_.kind == ActionKind::Recv) {
        action_.anyByte = std::move(text.dots);
    }
}

void PortMonReader::takeTime(const LineTime& time)
{
    if (time.form != TimeForm::Elapsed) {
        return;
    }
    if (time.micros < lastElapsed_) {
        elapsedReading_ = ElapsedReading::Durations;
    }
    lastElapsed_ = time.micros;
    // Past a thousand years of log nothing is measured any more; the sum stays defined.
    elapsedSum_ = std::min(elapsedSum_ + time.micros, 1000000000000000000LL);
}

void PortMonReader::countNotUnderstood()
{
    if (notUnderstood_++ == 0) {
        firstNotUnderstood_ = line_;
    }
}

}  // namespace quorvex
