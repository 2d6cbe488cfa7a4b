#pragma once

#include <kq/export.h>

#include <map>
#include <string>

namespace kq {

// Uniquely named text values, ordered by name (byte order, case-sensitive), with typed
// access and a one-line text form: items joined by one separator, each item split into
// name and value at the first occurrence of another.
//
// Typed getters without a default throw std::runtime_error "key '<name>' not found in
// nvCollection" for an absent name and let the NumberParser exception through for a value
// that does not convert; getters with a default return the default in both cases.
// long and unsigned long hold the 32-bit ranges on every platform: setLong and setULong
// throw std::out_of_range for a value outside them, so that the text reads back anywhere.
class KQ_API nvCollection {
public:
    using const_iterator = std::map<std::string, std::string>::const_iterator;

    nvCollection();
    // Throws std::invalid_argument for an empty item separator, as load does.
    nvCollection(const std::string& text, const std::string& itemSeparator,
                 const std::string& nameValueSeparator);
    nvCollection(const nvCollection& other);
    nvCollection(nvCollection&& other) noexcept;
    nvCollection& operator=(const nvCollection& other);
    nvCollection& operator=(nvCollection&& other) noexcept;
    ~nvCollection();

    // Adds the items of the text; an existing name takes the new value, the last one wins.
    // Empty items are skipped; an item without the name/value separator is a name with an
    // empty value. Throws std::invalid_argument for an empty item separator.
    void load(const std::string& text, const std::string& itemSeparator,
              const std::string& nameValueSeparator);
    std::string toString(const std::string& itemSeparator,
                         const std::string& nameValueSeparator) const;

    bool has(const std::string& name) const;
    unsigned int size() const;
    const_iterator begin() const;
    const_iterator end() const;

    bool getBool(const std::string& name) const;
    bool getBool(const std::string& name, bool defaultValue) const;
    void setBool(const std::string& name, bool value);

    int getInt(const std::string& name) const;
    int getInt(const std::string& name, int defaultValue) const;
    void setInt(const std::string& name, int value);
    long getLong(const std::string& name) const;
    long getLong(const std::string& name, long defaultValue) const;
    void setLong(const std::string& name, long value);

    short getShort(const std::string& name) const;
    short getShort(const std::string& name, short defaultValue) const;
    void setShort(const std::string& name, short value);

    unsigned int getUInt(const std::string& name) const;
    unsigned int getUInt(const std::string& name, unsigned int defaultValue) const;
    void setUInt(const std::string& name, unsigned int value);
    unsigned long getULong(const std::string& name) const;
    unsigned long getULong(const std::string& name, unsigned long defaultValue) const;
    void setULong(const std::string& name, unsigned long value);

    unsigned short getUShort(const std::string& name) const;
    unsigned short getUShort(const std::string& name, unsigned short defaultValue) const;
    void setUShort(const std::string& name, unsigned short value);

    std::string getString(const std::string& name) const;
    std::string getString(const std::string& name, const std::string& defaultValue) const;
    void setString(const std::string& name, const std::string& value);

private:
    std::string getRaw(const std::string& name) const;
    void setRaw(const std::string& name, const std::string& value);
    // Stores the item that lies in text[begin, end).
    void extractNV(const std::string& text, const std::string& nameValueSeparator,
                   unsigned int begin, unsigned int end);

    std::map<std::string, std::string> entries_;
};

}  // namespace kq
