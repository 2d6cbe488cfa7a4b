#pragma once

#include "RunRecord.h"

#include <fstream>
#include <memory>
#include <ostream>
#include <string>

namespace quorvex {

void writeJsonReport(const RunRecord& run, std::ostream& out);
void writeJUnitReport(const RunRecord& run, std::ostream& out);
void writeHtmlReport(const RunRecord& run, std::ostream& out);

// The report files a replay was asked for, opened before the port is: a path
// that cannot be written ends the run before anything is sent.
class ReportFiles {
public:
    struct Names {
        std::string json, junit, html;
    };

    explicit ReportFiles(const Names& names);
    bool any() const { return json_ || junit_ || html_; }
    // Throws std::runtime_error when a file could not be written in full.
    void write(const RunRecord& run);

private:
    struct File {
        std::string name;
        std::ofstream stream;
    };
    static std::unique_ptr<File> open(const std::string& name);
    static void finish(File& file);

    std::unique_ptr<File> json_, junit_, html_;
};

}  // namespace quorvex
