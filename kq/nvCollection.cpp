#include <kq/nvCollection.h>

#include <kq/NumberFormatter.h>
#include <kq/NumberParser.h>
#include <kq/StringUtils.h>

#include <climits>
#include <cstdint>
#include <stdexcept>

namespace kq {

namespace {

using Entries = std::map<std::string, std::string>;

template <typename T>
T convertedOr(const Entries& entries, const std::string& name, T fallback,
              bool (*tryParse)(const std::string&, T&))
{
    // The try forms leave the fallback in place when the value does not convert.
    const Entries::const_iterator it = entries.find(name);
    if (it != entries.end()) {
        tryParse(it->second, fallback);
    }
    return fallback;
}

// The text must read back where long is 32 bits wide: files move between platforms.
template <typename Wide, typename Narrow>
std::string checked32(const char* function, Wide value)
{
    if (static_cast<Wide>(static_cast<Narrow>(value)) != value) {
        throw std::out_of_range(std::string("nvCollection::") + function + ": " +
                                std::to_string(value) + " is outside the 32-bit range");
    }
    return std::to_string(value);
}

}  // namespace

nvCollection::nvCollection() = default;

nvCollection::nvCollection(const std::string& text, const std::string& itemSeparator,
                           const std::string& nameValueSeparator)
{
    load(text, itemSeparator, nameValueSeparator);
}

nvCollection::nvCollection(const nvCollection& other) = default;

nvCollection::nvCollection(nvCollection&& other) noexcept : entries_(std::move(other.entries_))
{
    other.entries_.clear();
}

nvCollection& nvCollection::operator=(const nvCollection& other) = default;

nvCollection& nvCollection::operator=(nvCollection&& other) noexcept
{
    if (this != &other) {
        entries_ = std::move(other.entries_);
        other.entries_.clear();
    }
    return *this;
}

nvCollection::~nvCollection() = default;

void nvCollection::load(const std::string& text, const std::string& itemSeparator,
                        const std::string& nameValueSeparator)
{
    // An empty separator is found at the same place forever.
    if (itemSeparator.empty()) {
        throw std::invalid_argument("nvCollection::load: empty item separator");
    }
    // Item positions are 32-bit.
    if (text.size() > UINT_MAX) {
        throw std::length_error("nvCollection::load: text too long");
    }
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(itemSeparator, start);
        const size_t end = found == std::string::npos ? text.size() : found;
        if (end > start) {
            extractNV(text, nameValueSeparator, static_cast<unsigned int>(start),
                      static_cast<unsigned int>(end));
        }
        if (found == std::string::npos) {
            return;
        }
        start = found + itemSeparator.size();
    }
}

void nvCollection::extractNV(const std::string& text, const std::string& nameValueSeparator,
                             unsigned int begin, unsigned int end)
{
    const std::string item = text.substr(begin, end - begin);
    const size_t split = item.find(nameValueSeparator);
    if (split == std::string::npos) {
        setRaw(item, std::string());
    } else {
        setRaw(item.substr(0, split), item.substr(split + nameValueSeparator.size()));
    }
}

std::string nvCollection::toString(const std::string& itemSeparator,
                                   const std::string& nameValueSeparator) const
{
    std::string text;
    bool first = true;
    for (const Entries::value_type& entry : entries_) {
        if (!first) {
            text += itemSeparator;
        }
        first = false;
        text += entry.first;
        text += nameValueSeparator;
        text += entry.second;
    }
    return text;
}

bool nvCollection::has(const std::string& name) const
{
    return entries_.count(name) != 0;
}

unsigned int nvCollection::size() const
{
    return static_cast<unsigned int>(entries_.size());
}

nvCollection::const_iterator nvCollection::begin() const
{
    return entries_.begin();
}

nvCollection::const_iterator nvCollection::end() const
{
    return entries_.end();
}

std::string nvCollection::getRaw(const std::string& name) const
{
    const Entries::const_iterator it = entries_.find(name);
    if (it == entries_.end()) {
        throw std::runtime_error(kq::format("key '%s' not found in nvCollection", name.c_str()));
    }
    return it->second;
}

void nvCollection::setRaw(const std::string& name, const std::string& value)
{
    entries_[name] = value;
}

bool nvCollection::getBool(const std::string& name) const
{
    return NumberParser::parseBool(getRaw(name));
}

bool nvCollection::getBool(const std::string& name, bool defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseBool);
}

void nvCollection::setBool(const std::string& name, bool value)
{
    setRaw(name, NumberFormatter::formatBool(value));
}

int nvCollection::getInt(const std::string& name) const
{
    return NumberParser::parseInt32(getRaw(name));
}

int nvCollection::getInt(const std::string& name, int defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseInt32);
}

void nvCollection::setInt(const std::string& name, int value)
{
    setRaw(name, std::to_string(value));
}

long nvCollection::getLong(const std::string& name) const
{
    return NumberParser::parseLong(getRaw(name));
}

long nvCollection::getLong(const std::string& name, long defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseLong);
}

void nvCollection::setLong(const std::string& name, long value)
{
    setRaw(name, checked32<long, std::int32_t>("setLong", value));
}

short nvCollection::getShort(const std::string& name) const
{
    return NumberParser::parseInt16(getRaw(name));
}

short nvCollection::getShort(const std::string& name, short defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseInt16);
}

void nvCollection::setShort(const std::string& name, short value)
{
    setRaw(name, std::to_string(value));
}

unsigned int nvCollection::getUInt(const std::string& name) const
{
    return NumberParser::parseUInt32(getRaw(name));
}

unsigned int nvCollection::getUInt(const std::string& name, unsigned int defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseUInt32);
}

void nvCollection::setUInt(const std::string& name, unsigned int value)
{
    setRaw(name, std::to_string(value));
}

unsigned long nvCollection::getULong(const std::string& name) const
{
    return NumberParser::parseUInt32(getRaw(name));
}

unsigned long nvCollection::getULong(const std::string& name, unsigned long defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseULong);
}

void nvCollection::setULong(const std::string& name, unsigned long value)
{
    setRaw(name, checked32<unsigned long, std::uint32_t>("setULong", value));
}

unsigned short nvCollection::getUShort(const std::string& name) const
{
    return NumberParser::parseUInt16(getRaw(name));
}

unsigned short nvCollection::getUShort(const std::string& name, unsigned short defaultValue) const
{
    return convertedOr(entries_, name, defaultValue, NumberParser::tryParseUInt16);
}

void nvCollection::setUShort(const std::string& name, unsigned short value)
{
    setRaw(name, std::to_string(value));
}

std::string nvCollection::getString(const std::string& name) const
{
    return getRaw(name);
}

std::string nvCollection::getString(const std::string& name, const std::string& defaultValue) const
{
    const Entries::const_iterator it = entries_.find(name);
    return it == entries_.end() ? defaultValue : it->second;
}

void nvCollection::setString(const std::string& name, const std::string& value)
{
    setRaw(name, value);
}

}  // namespace kq
