#include "Reports.h"

#include <kq/StringUtils.h>

#include <stdexcept>

namespace quorvex {

ReportFiles::ReportFiles(const Names& names)
    : json_(open(names.json)), junit_(open(names.junit)), html_(open(names.html))
{
}

std::unique_ptr<ReportFiles::File> ReportFiles::open(const std::string& name)
{
    if (name.empty()) {
        return nullptr;
    }
    auto file = std::make_unique<File>();
    file->name = name;
    file->stream.open(name, std::ios::binary | std::ios::trunc);
    if (!file->stream) {
        throw std::runtime_error(kq::format("can't write the report '%s'", name.c_str()));
    }
    return file;
}

void ReportFiles::finish(File& file)
{
    file.stream.close();
    if (!file.stream) {
        throw std::runtime_error(kq::format("can't write the report '%s'", file.name.c_str()));
    }
}

void ReportFiles::write(const RunRecord& run)
{
    if (json_) {
        writeJsonReport(run, json_->stream);
        finish(*json_);
    }
    if (junit_) {
        writeJUnitReport(run, junit_->stream);
        finish(*junit_);
    }
    if (html_) {
        writeHtmlReport(run, html_->stream);
        finish(*html_);
    }
}

}  // namespace quorvex
