#pragma once

#include "PortMonAction.h"

#include <chrono>
#include <string>
#include <vector>

namespace quorvex {

// The time column of a line: the first field before its request that reads as
// seconds with a fraction ("0.00137000", elapsed) or as a time of day
// ("9:41:07", "9:41:07.125", with or without " AM"/" PM" as the same field or
// the next one: clock time). None where no field does.
LineTime lineTimeOf(const std::vector<std::string>& fieldsBeforeRequest);

// How the log's elapsed column reads: a running time since the start while its
// values never fall, else each request's own duration.
enum class ElapsedReading { Running, Durations };

// The time the log records from one action to a later one; negative where the
// log shows none. Durations add up the lines after from, through to.
std::chrono::microseconds recordedDelay(const PortMonAction& from, const PortMonAction& to,
                                        ElapsedReading elapsed);

}  // namespace quorvex
