#include "DeviceReport.h"

#include "common/Hex.h"
#include "common/Markup.h"

#include <kq/StringUtils.h>

#include <fstream>
#include <stdexcept>

namespace quorvex {

void writeDeviceJson(const std::string& fileName, const std::string& log, const std::string& port,
                     const std::vector<RequestRecord>& requests)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out << "{\n  \"log\": " << jsonString(log) << ",\n  \"port\": " << jsonString(port)
        << ",\n  \"requests\": [";
    long matched = 0;
    const char* separator = "\n";
    for (const RequestRecord& r : requests) {
        out << separator << "    {\"line\": " << r.line
            << ", \"expected\": " << jsonString(hex(r.expected))
            << ", \"got\": " << jsonString(hex(r.got));
        if (!r.mask.empty()) {
            out << ", \"mask\": " << jsonString(r.mask);
        }
        out << ", \"verdict\": " << (r.matched ? "\"match\"" : "\"mismatch\"") << "}";
        separator = ",\n";
        matched += r.matched ? 1 : 0;
    }
    out << (requests.empty() ? "],\n" : "\n  ],\n")
        << kq::format(
               "  \"summary\": {\"requests\": %ld, \"matched\": %ld, \"mismatched\": %ld}\n}\n",
               static_cast<long>(requests.size()), matched,
               static_cast<long>(requests.size()) - matched);
    out.close();
    if (!out) {
        throw std::runtime_error(kq::format("can't write the report '%s'", fileName.c_str()));
    }
}

}  // namespace quorvex
