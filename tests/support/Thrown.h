#pragma once

#include <stdexcept>
#include <string>
#include <typeinfo>

namespace support {

// What a call threw, as "<exact standard type>: <message>"; "" when it returned.
// Lets a table compare exception type and message in one column.
template <typename F>
std::string thrownBy(F call)
{
    try {
        call();
        return "";
    } catch (const std::invalid_argument& e) {
        return std::string("invalid_argument: ") + e.what();
    } catch (const std::range_error& e) {
        return std::string("range_error: ") + e.what();
    } catch (const std::logic_error& e) {
        return std::string(typeid(e) == typeid(std::logic_error) ? "logic_error: " : "other: ") +
               e.what();
    } catch (const std::runtime_error& e) {
        return std::string(typeid(e) == typeid(std::runtime_error) ? "runtime_error: " : "other: ") +
               e.what();
    }
}

}  // namespace support
