#include "DeviceReport.h"

#include "common/Markup.h"

#include <kq/StringUtils.h>

#include <fstream>
#include <stdexcept>

namespace quorvex {

void writeDeviceJson(const std::string& fileName, const std::string& log, const std::string& port,
                     const std::vector<RequestRecord>& requests)
{
    std::vector<std::string> entries;
    long matched = 0;
    for (const RequestRecord& r : requests) {
        entries.push_back("{" + jsonExchangeFields(r.line, r.expected, r.got, r.mask) +
                          ", \"verdict\": " + (r.matched ? "\"match\"" : "\"mismatch\"") + "}");
        matched += r.matched ? 1 : 0;
    }
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    writeJsonDocument(out, log, port, "requests", entries,
                      kq::format("{\"requests\": %ld, \"matched\": %ld, \"mismatched\": %ld}",
                                 static_cast<long>(requests.size()), matched,
                                 static_cast<long>(requests.size()) - matched));
    out.close();
    if (!out) {
        throw std::runtime_error(kq::format("can't write the report '%s'", fileName.c_str()));
    }
}

}  // namespace quorvex
