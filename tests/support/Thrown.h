#pragma once

#include <stdexcept>
#include <string>
#include <typeinfo>

namespace kqtest {

// What a call threw, as "<exact standard type>: <message>"; "" when it returned.
// Lets a table compare exception type and message in one column.
template <typename F>
std::string thrownBy(F call)
{
    try {
        call();
        return "";
    } catch (const std::exception& e) {
        const std::type_info& t = typeid(e);
        const char* type = t == typeid(std::invalid_argument) ? "invalid_argument"
                           : t == typeid(std::range_error)    ? "range_error"
                           : t == typeid(std::out_of_range)   ? "out_of_range"
                           : t == typeid(std::logic_error)    ? "logic_error"
                           : t == typeid(std::runtime_error)  ? "runtime_error"
                                                              : "other";
        return std::string(type) + ": " + e.what();
    }
}

}  // namespace kqtest
