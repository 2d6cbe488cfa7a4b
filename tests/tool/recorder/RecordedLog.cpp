#include "RecordedLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kqtest {

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        result.push_back(field);
    }
    return result;
}

std::vector<std::string> events(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> result;
    std::string previous;
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.back(), '\r') << line;
        const auto f = fields(line.substr(0, line.size() - 1));
        if (f.size() < 7) {
            ADD_FAILURE() << "short line: " << line;
            continue;
        }
        const std::string payload = f[6].substr(f[6].find(':') + 1);
        if (f[6].rfind("Length ", 0) == 0 && f[3] == previous) {
            result.back() += payload;
        } else {
            result.push_back(f[3] + " " + (f[6].rfind("Length ", 0) == 0 ? payload : f[6]));
        }
        previous = f[3];
    }
    return result;
}

}  // namespace kqtest
