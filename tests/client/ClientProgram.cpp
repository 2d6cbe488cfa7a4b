// A program of a library user: it includes only the umbrella header and links
// only kqsystem. It logs to the console, to a daily file and to both at once,
// and uses the text, option and serial-settings interfaces.
#include <kq/kqsystem.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

class DirectoryOption : public kq::ProgramOptions::StringOptionValue {};

void logEverywhere(const std::string& directory)
{
    using namespace kq::logger;
    auto console = std::make_shared<ConsoleLogChannel>();
    console->setFormatter(std::make_shared<ConsoleFormatter>());

    auto file = std::make_shared<FileLogChannel>(directory, "client");
    file->setFormatter(std::make_shared<SimpleFormatter>());
    file->setProperty(FileLogChannel::PropertyRollingHeader, "client log\n");

    auto both = std::make_shared<SplitLogChannel>();
    both->add(console);
    both->add(file);

    add("client.console", console).info("to the console");
    add("client.file", file).info("to the daily file");
    ILogger& logger = add("client", both);
    logger.setLevel(1);
    const unsigned char bytes[] = {0x90, 0x00};
    logger.debugHex("to both", bytes, sizeof bytes);
    get("client.child").info("inherited from client");
    shutdown();
}

}  // namespace

int main(int argc, char* argv[])
{
    try {
        DirectoryOption directory;
        kq::ProgramOptions::OptionsProcessor options('-', '=');
        options.add("d", "dir", "folder for the log file", &directory);
        options.process(argc, argv);
        if (!directory.isSet) {
            throw std::runtime_error("usage: kq_client --dir=FOLDER");
        }

        logEverywhere(directory.value);

        const kq::io::SerialConfig config = kq::io::SerialConfig::fromString(
            "device=COM3;baud=115200;data=8;parity=none;stop=1;flow=off");
        const auto bytes = kq::NumberFormatter::string2buffer("9000");
        std::printf(
            "%s\n%s\n%d\n", config.toString().c_str(),
            kq::NumberFormatter::buffer2stringU2(bytes.data(), static_cast<unsigned>(bytes.size()))
                .c_str(),
            kq::NumberParser::parseInt32("42"));
        return 0;
    } catch (const std::exception& e) {
        std::printf("ERROR: %s\n", e.what());
        return 1;
    }
}
