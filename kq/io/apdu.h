#pragma once

#include <kq/export.h>

#include <vector>

namespace kq {
namespace io {

// An ISO/IEC 7816-4 command or response, held as the exact bytes that go to or
// come from the card. A response ends with its status bytes SW1 SW2. The
// constructors build short commands; extended() builds extended-length ones.
class KQ_API apdu {
public:
    // Case 1: CLA INS P1 P2.
    apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2);
    // Case 2: CLA INS P1 P2 Le.
    apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
         unsigned char le);
    // Case 3: CLA INS P1 P2 Lc and lc bytes of data; data is not read when lc is 0.
    apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2, unsigned char lc,
         const void* data);
    // Case 4: as case 3, then Le.
    apdu(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2, unsigned char lc,
         const void* data, unsigned char le);

    apdu(const apdu& other);
    // The source is left empty.
    apdu(apdu&& other) noexcept;
    apdu& operator=(const apdu& other);
    apdu& operator=(apdu&& other) noexcept;
    ~apdu();

    // A copy of size bytes; empty when size is 0, whatever data is.
    static apdu fromBuffer(const void* data, unsigned int size);

    // The longest extended data field and the largest extended Le.
    static constexpr unsigned int MaxExtendedData = 65535;
    static constexpr unsigned int MaxExtendedLe = 65536;
    // An extended-length command: CLA INS P1 P2, then with data 00 Lc1 Lc2 and the
    // dataSize bytes, then Le as two bytes (preceded by 00 when there is no data;
    // 65,536 is sent as 00 00). dataSize 0 means no data field, le 0 no Le field;
    // with neither it is the 4-byte case 1. std::invalid_argument beyond the limits.
    static apdu extended(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
                         const void* data, unsigned int dataSize, unsigned int le);

    // The first byte; null when empty.
    const unsigned char* raw() const;
    unsigned int size() const;
    // The last two bytes; 0 when there are fewer than two.
    unsigned char sw1() const;
    unsigned char sw2() const;
    // SW1 is 90, whatever SW2 is.
    bool isSuccess() const;

private:
    apdu();

    std::vector<unsigned char> bytes_;
};

}  // namespace io
}  // namespace kq
