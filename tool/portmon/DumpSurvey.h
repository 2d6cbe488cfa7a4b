#pragma once

#include "PortMonReader.h"

#include <functional>
#include <set>
#include <string>

namespace quorvex {

// What a whole dump holds, read before anything is sent.
struct DumpSurvey {
    long sends = 0;
    long sendBytes = 0;
    long reads = 0;
    long readBytes = 0;
    long purges = 0;
    long settings = 0;
    // Payloads that PortMon showed shorter than their length.
    long shortPayloads = 0;
    long firstShort = 0;
    long notUnderstood = 0;
    long firstNotUnderstood = 0;
    std::set<std::string> ports;

    long actions() const { return sends + reads + purges + settings; }
};

// Reads the dump to its end and calls each (when given) for every action. A
// payload that is not hexadecimal throws its error with " at line N" added, so
// that a bad dump is refused before the port is touched.
DumpSurvey surveyDump(const std::string& inputFile, const ReaderOptions& options,
                      const std::function<void(const PortMonAction&)>& each = {});

// The warnings a replay ends with on standard error: lines not understood (and
// whether anything was replayed at all), a log with nothing to replay, several
// ports without one chosen.
void warnAbout(const DumpSurvey& survey, const ReaderOptions& options);

// Prints every action and a summary without opening a port: 0 when the dump
// holds no problem, 1 otherwise; a dump with no action at all is one.
int checkDump(const std::string& inputFile, const ReaderOptions& options);

}  // namespace quorvex
