// A program of a library user that loads a library and calls into it, reads the environment and
// counts its own runs in the registry.
//
//   kq_settings_client --key=Software\Example --library=path
//
// prints "answer=<the library's answer> greeting=<$KQTEST_GREETING> runs=<this run's number>".
// windows.h first: the library's header then meets the system's registry types already declared
// (win32_tests includes the two the other way round).
#if defined(_WIN32)
#  include <windows.h>
#endif

#include <kq/kqsystem.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

class TextOption : public kq::ProgramOptions::StringOptionValue {};

int libraryAnswer(const std::string& path)
{
    const kq::SharedLibrary library(path);
    using Answer = int (*)();
    void* entry = library.getProc("kqtestAnswer");
    if (entry == nullptr) {
        throw std::runtime_error("no kqtestAnswer in " + path);
    }
    return reinterpret_cast<Answer>(entry)();
}

unsigned long countRun(const std::string& keyName)
{
    using namespace kq::win32;
    registry settings(HKEY_CURRENT_USER);
    if (!settings.createAndOpen(keyName, KEY_ALL_ACCESS)) {
        throw std::runtime_error("can't open " + keyName);
    }
    const unsigned long runs = settings.queryDWORDValue("runs", 0) + 1;
    settings.setDWORDValue("runs", runs);
    settings.flush();
    return runs;
}

}  // namespace

int main(int argc, char* argv[])
{
    try {
        TextOption key;
        TextOption library;
        kq::ProgramOptions::OptionsProcessor options('-', '=');
        options.add("k", "key", "registry key below HKEY_CURRENT_USER", &key);
        options.add("l", "library", "library exporting kqtestAnswer", &library);
        options.process(argc, argv);
        if (!key.isSet || !library.isSet) {
            throw std::runtime_error("usage: kq_settings_client --key=KEY --library=PATH");
        }

        std::printf("answer=%d greeting=%s runs=%lu\n", libraryAnswer(library.value),
                    kq::environment::get("KQTEST_GREETING", "none").c_str(), countRun(key.value));
        return 0;
    } catch (const std::exception& e) {
        std::printf("ERROR: %s\n", e.what());
        return 1;
    }
}
