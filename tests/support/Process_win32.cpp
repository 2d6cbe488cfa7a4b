#include "support/detail/ProcessImpl.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace kqtest {

namespace {

// One argument quoted so that the C runtime of the child splits it back unchanged.
std::string quoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        const std::size_t repeat = c == '"' ? 2 * backslashes + 1 : backslashes;
        quoted.append(repeat, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

std::string commandLine(const std::string& program, const std::vector<std::string>& args)
{
    std::string line = quoteArgument(program);
    for (const auto& a : args) {
        line += " " + quoteArgument(a);
    }
    return line;
}

// This process's environment with the extra entries replacing those of the same name,
// as the double-zero-terminated block CreateProcessA takes.
std::string environmentBlock(const std::vector<std::string>& extra)
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* e = strings; *e; e += strlen(e) + 1) {
        const std::string entry(e);
        const std::string name = entry.substr(0, entry.find('=', 1) + 1);
        bool replaced = false;
        for (const auto& x : extra) {
            replaced = replaced || _strnicmp(x.c_str(), name.c_str(), name.size()) == 0;
        }
        if (!replaced) {
            block += entry + '\0';
        }
    }
    FreeEnvironmentStringsA(strings);
    for (const auto& x : extra) {
        block += x + '\0';
    }
    return block + '\0';
}

struct PipePair {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
};

// The write end is inherited by the child; the read end stays ours alone.
PipePair makePipe()
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    PipePair p;
    if (!::CreatePipe(&p.readEnd, &p.writeEnd, &sa, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    ::SetHandleInformation(p.readEnd, HANDLE_FLAG_INHERIT, 0);
    return p;
}

}  // namespace

struct ProcessImpl::Handles {
    PROCESS_INFORMATION info{};
    HANDLE out = nullptr;
    HANDLE err = nullptr;
};

ProcessImpl::ProcessImpl(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env)
    : handles_(new Handles)
{
    PipePair out = makePipe();
    PipePair err = makePipe();
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE input = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 OPEN_EXISTING, 0, nullptr);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out.writeEnd;
    startup.hStdError = err.writeEnd;

    std::string line = commandLine(program, args);
    std::string block = environmentBlock(env);
    // Wine's process start now and then fails with an internal error when its server is
    // busy; a second try starts the same program. Any other error is final.
    BOOL ok = FALSE;
    DWORD error = ERROR_INTERNAL_ERROR;
    for (int attempt = 0; !ok && error == ERROR_INTERNAL_ERROR && attempt < 3; ++attempt) {
        ok = ::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, &block[0],
                              nullptr, &startup, &handles_->info);
        error = ok ? ERROR_SUCCESS : ::GetLastError();
    }
    ::CloseHandle(out.writeEnd);
    ::CloseHandle(err.writeEnd);
    ::CloseHandle(input);
    if (!ok) {
        ::CloseHandle(out.readEnd);
        ::CloseHandle(err.readEnd);
        throw std::runtime_error("::CreateProcessA( " + program + " ) failed, error " +
                                 std::to_string(error));
    }
    ::CloseHandle(handles_->info.hThread);
    handles_->out = out.readEnd;
    handles_->err = err.readEnd;
}

ProcessImpl::~ProcessImpl()
{
    ::CloseHandle(handles_->info.hProcess);
    ::CloseHandle(handles_->out);
    ::CloseHandle(handles_->err);
}

std::size_t ProcessImpl::read(Pipe pipe, char* buffer, std::size_t size)
{
    DWORD n = 0;
    const HANDLE h = pipe == Pipe::Out ? handles_->out : handles_->err;
    if (!::ReadFile(h, buffer, static_cast<DWORD>(size), &n, nullptr)) {
        return 0;  // ERROR_BROKEN_PIPE: the child and every copy of the write end are gone
    }
    return n;
}

bool ProcessImpl::waitExit(std::chrono::milliseconds timeout, int& status)
{
    if (::WaitForSingleObject(handles_->info.hProcess, static_cast<DWORD>(timeout.count())) !=
        WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(handles_->info.hProcess, &code);
    status = static_cast<int>(code);
    return true;
}

void ProcessImpl::kill()
{
    ::TerminateProcess(handles_->info.hProcess, 1);
}

long ProcessImpl::pid() const
{
    return static_cast<long>(handles_->info.dwProcessId);
}

std::chrono::milliseconds ProcessImpl::cpuTime() const
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(handles_->info.hProcess, &created, &exited, &kernel, &user)) {
        return std::chrono::milliseconds(0);
    }
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    // FILETIME counts 100 ns.
    return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

std::string executableFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string exe(path, n);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
}

const char* programSuffix()
{
    return ".exe";
}

}  // namespace kqtest
