#include <kq/nvCollection.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

using kq::nvCollection;
using kqtest::fuzzCheck;

namespace {

using Entries = std::map<std::string, std::string>;

Entries entriesOf(const nvCollection& c)
{
    return Entries(c.begin(), c.end());
}

// Loading the written text gives back the entries, for one-character separators that
// differ, when no name holds either separator and no value the item separator.
bool roundTripPromised(const Entries& entries, const std::string& item, const std::string& pair)
{
    if (item.size() != 1 || pair.size() != 1 || item == pair) {
        return false;
    }
    for (const auto& entry : entries) {
        if (entry.first.find_first_of(item + pair) != std::string::npos ||
            entry.second.find(item) != std::string::npos) {
            return false;
        }
    }
    return true;
}

// A getter without a default either gives what the getter with any default gives, or
// throws and the defaults come back.
template <typename T>
void checkGetter(const nvCollection& c, const std::string& name,
                 T (nvCollection::*get)(const std::string&) const,
                 T (nvCollection::*getOr)(const std::string&, T) const)
{
    T value{};
    const std::string thrown = kqtest::thrownBy([&] { value = (c.*get)(name); });
    if (thrown.empty()) {
        fuzzCheck((c.*getOr)(name, T(0)) == value && (c.*getOr)(name, T(1)) == value,
                  "a convertible value ignores the default", name);
        return;
    }
    fuzzCheck(thrown == "logic_error: NumebrParser - bad format" ||
                  thrown == "range_error: NumberParser - out of range",
              "only the parser's exceptions", thrown);
    fuzzCheck((c.*getOr)(name, T(0)) == T(0) && (c.*getOr)(name, T(1)) == T(1),
              "a value that does not convert gives the default", name);
}

void checkGetters(const nvCollection& c)
{
    for (const auto& entry : c) {
        fuzzCheck(c.has(entry.first) && c.getString(entry.first) == entry.second, "getString");
        checkGetter<bool>(c, entry.first, &nvCollection::getBool, &nvCollection::getBool);
        checkGetter<int>(c, entry.first, &nvCollection::getInt, &nvCollection::getInt);
        checkGetter<long>(c, entry.first, &nvCollection::getLong, &nvCollection::getLong);
        checkGetter<short>(c, entry.first, &nvCollection::getShort, &nvCollection::getShort);
        checkGetter<unsigned int>(c, entry.first, &nvCollection::getUInt, &nvCollection::getUInt);
        checkGetter<unsigned long>(c, entry.first, &nvCollection::getULong,
                                   &nvCollection::getULong);
        checkGetter<unsigned short>(c, entry.first, &nvCollection::getUShort,
                                    &nvCollection::getUShort);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string item = input.ConsumeRandomLengthString(4);
    const std::string pair = input.ConsumeRandomLengthString(4);
    const std::string text = input.ConsumeRemainingBytesAsString();
    if (item.empty()) {
        fuzzCheck(kqtest::thrownBy([&] { nvCollection(text, item, pair); }) ==
                      "invalid_argument: nvCollection::load: empty item separator",
                  "an empty item separator is refused");
        return 0;
    }
    const nvCollection loaded(text, item, pair);
    fuzzCheck(loaded.size() <= text.size() / item.size() + 1, "at most one entry per item");
    checkGetters(loaded);

    const std::string written = loaded.toString(item, pair);
    nvCollection reloaded;
    reloaded.setString("\x01kept", "v");
    reloaded.load(written, item, pair);
    fuzzCheck(reloaded.has("\x01kept"), "load never removes an entry");
    if (roundTripPromised(entriesOf(loaded), item, pair)) {
        nvCollection again(written, item, pair);
        fuzzCheck(entriesOf(again) == entriesOf(loaded), "text form round trip", written);
    }
    return 0;
}
