#include <kq/io/apdu.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace kq {
namespace io {

namespace {

// CLA INS P1 P2 and Lc.
const std::size_t HeaderAndLength = 5;

}  // namespace

apdu::apdu() = default;

apdu::apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2)
    : bytes_{cla, ins, p1, p2}
{
}

apdu::apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
           unsigned char le)
    : bytes_{cla, ins, p1, p2, le}
{
}

apdu::apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
           unsigned char lc, const void* data)
    : bytes_{cla, ins, p1, p2, lc}
{
    const auto* first = static_cast<const unsigned char*>(data);
    bytes_.resize(HeaderAndLength + lc);
    std::copy_n(first, lc, bytes_.begin() + HeaderAndLength);
}

apdu::apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
           unsigned char lc, const void* data, unsigned char le)
    : apdu(cla, ins, p1, p2, lc, data)
{
    bytes_.push_back(le);
}

apdu::apdu(const apdu& other) = default;

// A moved-from vector is only promised to be valid, not empty: take it over by swapping.
apdu::apdu(apdu&& other) noexcept
{
    bytes_.swap(other.bytes_);
}

apdu& apdu::operator=(const apdu& other) = default;

apdu& apdu::operator=(apdu&& other) noexcept
{
    if (this != &other) {
        bytes_.clear();
        bytes_.swap(other.bytes_);
    }
    return *this;
}

apdu::~apdu() = default;

apdu apdu::fromBuffer(const void* data, unsigned int size)
{
    apdu result;
    if (size > 0) {
        const auto* first = static_cast<const unsigned char*>(data);
        result.bytes_.assign(first, first + size);
    }
    return result;
}

apdu apdu::extended(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
                    const void* data, unsigned int dataSize, unsigned int le)
{
    if (dataSize > MaxExtendedData || le > MaxExtendedLe) {
        throw std::invalid_argument("extended APDU: data up to 65535 bytes, Le up to 65536");
    }
    apdu result(cla, ins, p1, p2);
    auto& bytes = result.bytes_;
    if (dataSize > 0) {
        const auto* first = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), {0x00, static_cast<unsigned char>(dataSize >> 8),
                                   static_cast<unsigned char>(dataSize)});
        bytes.insert(bytes.end(), first, first + dataSize);
    }
    if (le > 0) {
        if (dataSize == 0) {
            bytes.push_back(0x00);
        }
        // 65,536 wraps to 00 00, as the standard encodes it.
        bytes.push_back(static_cast<unsigned char>(le >> 8));
        bytes.push_back(static_cast<unsigned char>(le));
    }
    return result;
}

const unsigned char* apdu::raw() const
{
    return bytes_.empty() ? nullptr : bytes_.data();
}

unsigned int apdu::size() const
{
    return static_cast<unsigned int>(bytes_.size());
}

unsigned char apdu::sw1() const
{
    return bytes_.size() < 2 ? 0 : bytes_[bytes_.size() - 2];
}

unsigned char apdu::sw2() const
{
    return bytes_.size() < 2 ? 0 : bytes_.back();
}

bool apdu::isSuccess() const
{
    return sw1() == 0x90;
}

}  // namespace io
}  // namespace kq
