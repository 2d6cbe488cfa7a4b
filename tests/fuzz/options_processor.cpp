#include <kq/ProgramOptions.h>

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using kq::ProgramOptions::IOptionValue;
using kq::ProgramOptions::OptionsProcessor;
using kqtest::fuzzCheck;

namespace {

// Records every text it is given; refuses texts that begin with 'x'.
struct RecordingValue : IOptionValue {
    bool setValue(const std::string& text) override
    {
        texts.push_back(text);
        return text.empty() || text[0] != 'x';
    }
    std::vector<std::string> texts;
};

struct Entry {
    std::string shortForm, longForm;
    RecordingValue value;
};

// The texts each entry must receive and the count of accepted ones: every argument after
// the first, up to its first NUL, names the first entry with that exact form, and hands it
// the text after the first assignment character.
int expectedCalls(const std::vector<std::unique_ptr<Entry>>& entries,
                  const std::vector<std::string>& args, char assignment,
                  std::vector<std::vector<std::string>>& texts)
{
    int accepted = 0;
    texts.assign(entries.size(), {});
    for (size_t a = 1; a < args.size(); ++a) {
        const std::string arg = args[a].c_str();
        const size_t split = arg.find(assignment);
        const std::string name = arg.substr(0, split);
        const std::string text = split == std::string::npos ? "" : arg.substr(split + 1);
        for (size_t e = 0; e < entries.size(); ++e) {
            if (entries[e]->shortForm == name || entries[e]->longForm == name) {
                texts[e].push_back(text);
                accepted += text.empty() || text[0] != 'x';
                break;
            }
        }
    }
    return accepted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const char prefix = input.ConsumeIntegral<char>();
    const char assignment = input.ConsumeIntegral<char>();
    OptionsProcessor processor(prefix, assignment);
    std::vector<std::unique_ptr<Entry>> entries(input.ConsumeIntegralInRange(0, 4));
    for (auto& entry : entries) {
        entry = std::make_unique<Entry>();
        const std::string shortName = input.ConsumeRandomLengthString(4);
        const bool both = input.ConsumeBool();
        const std::string longName = both ? input.ConsumeRandomLengthString(6) : "";
        if (both) {
            processor.add(shortName, longName, "", &entry->value);
        } else {
            processor.add(shortName, "", &entry->value);
        }
        entry->shortForm = shortName.empty() ? "" : prefix + shortName;
        entry->longForm = longName.empty() ? "" : prefix + ("-" + longName);
    }
    std::vector<std::string> args;
    while (input.remaining_bytes() > 0 && args.size() < 8) {
        args.push_back(input.ConsumeRandomLengthString(12));
    }

    std::vector<std::vector<std::string>> texts;
    const int expected = expectedCalls(entries, args, assignment, texts);
    fuzzCheck(processor.process(args) == expected, "vector: count of accepted arguments");
    for (size_t e = 0; e < entries.size(); ++e) {
        fuzzCheck(entries[e]->value.texts == texts[e], "vector: texts handed to the entry");
    }

    for (auto& entry : entries) {
        entry->value.texts.clear();
    }
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(&arg[0]);
    }
    argv.push_back(nullptr);
    fuzzCheck(processor.process(static_cast<int>(args.size()), argv.data()) == expected,
              "argv: count of accepted arguments");
    for (size_t e = 0; e < entries.size(); ++e) {
        fuzzCheck(entries[e]->value.texts == texts[e], "argv: texts handed to the entry");
    }
    fuzzCheck(processor.toString() == "not implemented", "no usage listing");
    return 0;
}
