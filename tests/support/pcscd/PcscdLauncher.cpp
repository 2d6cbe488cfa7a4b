// Starts pcscd isolated from the machine's own smart-card service:
//
//   kqtest_pcscd PCSCD SOCKET CONFDIR
//
// In private mount and network namespaces (and a user namespace when not run
// by root) it mounts an empty /run for pcscd's pid file, brings up a loopback
// interface of its own for the virtual readers' TCP ports, binds the client
// socket at SOCKET and hands it to pcscd as an activation socket (fd 3). It
// prints "listening" once clients can connect, then becomes pcscd (same PID):
// stop it with a signal to that PID. Two runs at once never share a port or a
// socket, and a pcscd of the machine is neither needed nor disturbed.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "kqtest_pcscd: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void writeFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        fail(std::string("write ") + path);
    }
    ::close(fd);
}

// An ordinary user becomes root of a user namespace of its own, which may then
// make the other namespaces.
void enterNamespaces()
{
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    const int user = uid == 0 ? 0 : CLONE_NEWUSER;
    if (::unshare(user | CLONE_NEWNS | CLONE_NEWNET) != 0) {
        fail("unshare");
    }
    if (user) {
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
}

void mountPrivateRun()
{
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        fail("make mounts private");
    }
    if (::mount("none", "/run", "tmpfs", 0, "mode=0755") != 0) {
        fail("mount tmpfs on /run");
    }
}

void loopbackUp()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    if (fd < 0 || ::ioctl(fd, SIOCGIFFLAGS, &request) != 0) {
        fail("read the flags of lo");
    }
    request.ifr_flags |= IFF_UP;
    if (::ioctl(fd, SIOCSIFFLAGS, &request) != 0) {
        fail("bring lo up");
    }
    ::close(fd);
}

// The listening socket as fd 3, kept across exec, as socket activation hands it over.
void listenAsFd3(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        fail("socket path too long");
    }
    std::strcpy(address.sun_path, path.c_str());
    ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0666) != 0 || ::listen(fd, 64) != 0) {
        fail("listen on " + path);
    }
    if (fd != 3 && (::dup2(fd, 3) != 3 || ::close(fd) != 0)) {
        fail("move the socket to fd 3");
    }
}

// A test that crashes takes its pcscd with it.
void dieWithParent(pid_t parent)
{
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kqtest_pcscd PCSCD SOCKET CONFDIR\n");
        return 2;
    }
    const pid_t parent = ::getppid();
    enterNamespaces();
    mountPrivateRun();
    loopbackUp();
    listenAsFd3(argv[2]);
    dieWithParent(parent);
    ::setenv("LISTEN_FDS", "1", 1);
    ::setenv("LISTEN_PID", std::to_string(::getpid()).c_str(), 1);
    ::unsetenv("LISTEN_FDNAMES");
    std::printf("listening\n");
    std::fflush(stdout);
    ::execl(argv[1], argv[1], "--foreground", "--config", argv[3], static_cast<char*>(nullptr));
    fail(std::string("exec ") + argv[1]);
}
