// A smart card for the vpcd virtual reader of a private pcscd:
//
//   kqtest_vcard PCSCD_PID PORT ATR
//
// Inserting the card is connecting to the reader's TCP port inside the
// network namespace of that pcscd; ending this program removes it. Every
// message either way is a 2-byte big-endian length and the bytes. A one-byte
// message from the reader is a control code (4 asks for the ATR); any other
// is a command APDU.
//
// The card answers a command (short or extended) with its data field, then Le
// bytes counting from 01, then 90 00; the instruction 00 gets 6D 00 (not
// supported), a length that fits no ISO case 67 00, and the instruction FE 300
// bytes, more than any short response holds. It behaves as a T=0 card would
// for three instructions: GET DATA (CA) makes P1 P2 bytes counting from 01 wait
// and answers 61 xx; GET RESPONSE (C0) hands out Le of them (00: 256) with 61 xx
// while more wait, then 90 00; READ RECORD (B2) answers 6C 10 unless Le is 10.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The one record that READ RECORD (B2) reads.
const unsigned char RecordLength = 0x10;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "kqtest_vcard: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

bool sameNamespace(const std::string& a, const std::string& b)
{
    struct stat x, y;
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_ino == y.st_ino &&
           x.st_dev == y.st_dev;
}

void enter(const std::string& path, int type)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, type) != 0) {
        fail("enter " + path);
    }
    ::close(fd);
}

// The user namespace first, when pcscd has one: it grants the right to enter
// the network namespace.
void enterNetworkOf(const std::string& pid)
{
    const std::string user = "/proc/" + pid + "/ns/user";
    if (!sameNamespace(user, "/proc/self/ns/user")) {
        enter(user, CLONE_NEWUSER);
    }
    enter("/proc/" + pid + "/ns/net", CLONE_NEWNET);
}

int connectTo(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        fail("connect to the reader on port " + std::to_string(port));
    }
    return fd;
}

Bytes fromHex(const std::string& text)
{
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// False when the reader closed the connection.
bool readAll(int fd, unsigned char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n <= 0) {
            return false;
        }
        buffer += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool receive(int fd, Bytes& message)
{
    unsigned char length[2];
    if (!readAll(fd, length, 2)) {
        return false;
    }
    message.resize(static_cast<std::size_t>(length[0] << 8 | length[1]));
    return readAll(fd, message.data(), message.size());
}

void send(int fd, const Bytes& message)
{
    Bytes framed{static_cast<unsigned char>(message.size() >> 8),
                 static_cast<unsigned char>(message.size())};
    framed.insert(framed.end(), message.begin(), message.end());
    if (::write(fd, framed.data(), framed.size()) != static_cast<ssize_t>(framed.size())) {
        fail("write to the reader");
    }
}

// Lc, Le and where the data starts, for the short and the extended cases; false
// for a length that fits no case.
struct Lengths {
    std::size_t lc = 0, le = 0, data = 5;
};

bool extendedLengths(const Bytes& command, Lengths& lengths)
{
    const std::size_t first = static_cast<std::size_t>(command[5] << 8 | command[6]);
    if (command.size() == 7) {
        lengths.le = first == 0 ? 65536 : first;
        return true;
    }
    lengths.lc = first;
    lengths.data = 7;
    if (command.size() == 9 + first) {
        const std::size_t le = static_cast<std::size_t>(command[7 + first] << 8 | command.back());
        lengths.le = le == 0 ? 65536 : le;
    }
    return first > 0 && (command.size() == 7 + first || command.size() == 9 + first);
}

bool lengthsOf(const Bytes& command, Lengths& lengths)
{
    if (command.size() == 5) {
        lengths.le = command[4];
        return true;
    }
    if (command.size() >= 7 && command[4] == 0) {
        return extendedLengths(command, lengths);
    }
    if (command.size() > 5) {
        lengths.lc = command[4];
        if (command.size() == 6 + lengths.lc) {
            lengths.le = command.back();
        }
        return command.size() == 6 + lengths.lc || command.size() == 5 + lengths.lc;
    }
    return true;
}

// Bytes counting from 01 (wrapping after FF).
void appendCounting(Bytes& bytes, std::size_t count)
{
    for (std::size_t i = 1; i <= count; ++i) {
        bytes.push_back(static_cast<unsigned char>(i));
    }
}

// What a T=0 card has waiting for GET RESPONSE.
Bytes pending;

// 61 xx while data waits (xx 00: 256 bytes or more), else 90 00.
Bytes withStatus(Bytes data)
{
    if (pending.empty()) {
        data.insert(data.end(), {0x90, 0x00});
    } else {
        data.push_back(0x61);
        data.push_back(static_cast<unsigned char>(std::min<std::size_t>(pending.size(), 256)));
    }
    return data;
}

Bytes getResponse(std::size_t le)
{
    if (pending.empty()) {
        return {0x69, 0x85};
    }
    const std::size_t count = std::min(le == 0 ? 256 : le, pending.size());
    Bytes data(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(count));
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(count));
    return withStatus(data);
}

Bytes answer(const Bytes& command)
{
    Lengths lengths;
    if (command.size() < 4 || !lengthsOf(command, lengths)) {
        return {0x67, 0x00};
    }
    switch (command[1]) {
        case 0x00:
            return {0x6D, 0x00};
        case 0xFE:
            return Bytes(300, 0x55);
        case 0xCA:
            pending.clear();
            appendCounting(pending, static_cast<std::size_t>(command[2] << 8 | command[3]));
            return withStatus({});
        case 0xC0:
            return getResponse(lengths.le);
        case 0xB2:
            if (lengths.le != RecordLength) {
                return {0x6C, RecordLength};
            }
    }
    Bytes response(command.begin() + static_cast<std::ptrdiff_t>(lengths.data),
                   command.begin() + static_cast<std::ptrdiff_t>(lengths.data + lengths.lc));
    appendCounting(response, lengths.le);
    if (response.size() + 2 > 0xFFFF) {
        return {0x67, 0x00};
    }
    response.insert(response.end(), {0x90, 0x00});
    return response;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kqtest_vcard PCSCD_PID PORT ATR\n");
        return 2;
    }
    const pid_t parent = ::getppid();
    const Bytes atr = fromHex(argv[3]);
    enterNetworkOf(argv[1]);
    // A test that crashes takes its cards with it.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
        return 1;
    }
    const int reader = connectTo(std::atoi(argv[2]));
    const unsigned char SendAtr = 4;
    for (Bytes message; receive(reader, message);) {
        if (message.size() == 1) {
            // Power off, on and reset lose what waited for GET RESPONSE.
            pending.clear();
            if (message[0] == SendAtr) {
                send(reader, atr);
            }
        } else {
            send(reader, answer(message));
        }
    }
    return 0;
}
