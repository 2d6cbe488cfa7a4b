#pragma once

#include <string>
#include <vector>

namespace kqtest {

// The tab-separated fields of a log line.
std::vector<std::string> fields(const std::string& line);

// The request and details of each line of a recorded log ("IRP_MJ_WRITE  01 02"
// for a payload); consecutive reads (or writes) are joined, since the bytes of
// one answer may pass in several chunks. A line not ending in CR LF, or short
// of fields, is a test failure.
std::vector<std::string> events(const std::string& file);

}  // namespace kqtest
