#pragma once

#include <kq/export.h>

#include <memory>
#include <string>
#include <vector>

namespace kq {
namespace ProgramOptions {

// Receives the text given for one option.
class KQ_API IOptionValue {
public:
    // Out of line: the library holds the one copy of the class's virtual table.
    virtual ~IOptionValue();
    // Whether the text was accepted.
    virtual bool setValue(const std::string& text) = 0;
};

// A typed option value and whether the last text given to it was accepted.
// Both fields are read directly by the program that owns the object.
template <typename T>
class AbstractOptionValue : public IOptionValue {
public:
    T value{};
    bool isSet = false;

    bool setValue(const std::string& text) override
    {
        isSet = convert(text);
        return isSet;
    }

protected:
    // Parses text into value; what a failure leaves in value is up to the derived class.
    virtual bool convert(const std::string& text) = 0;
};

// Takes any text unchanged, the empty text included.
class StringOptionValue : public AbstractOptionValue<std::string> {
protected:
    bool convert(const std::string& text) override
    {
        value = text;
        return true;
    }
};

class OptionsProcessorImpl;

// Hands each argument's text to the option it names. Never owns the value objects
// and never reports unknown or rejected arguments.
class KQ_API OptionsProcessor {
public:
    explicit OptionsProcessor(char prefix = '-', char assignment = '=');
    ~OptionsProcessor();
    OptionsProcessor(const OptionsProcessor&) = delete;
    OptionsProcessor& operator=(const OptionsProcessor&) = delete;

    // Registers prefix+shortName and prefix+"-"+longName; an empty name gives no form.
    // Throws std::invalid_argument for a null value.
    void add(const std::string& shortName, const std::string& longName,
             const std::string& description, IOptionValue* value);
    // Registers prefix+name only.
    void add(const std::string& name, const std::string& description, IOptionValue* value);

    // Both skip the first argument (the program name); the result counts accepted arguments.
    int process(int argc, char* argv[]);
    int process(const std::vector<std::string>& args);

    std::string toString() const;

private:
    std::unique_ptr<OptionsProcessorImpl> impl_;
};

}  // namespace ProgramOptions
}  // namespace kq
