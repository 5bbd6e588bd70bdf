// What mirelko-check read, as metrics in Prometheus' text exposition format (version 0.0.4),
// for node_exporter's textfile collector or anything else that scrapes that format.
#pragma once

#include <string>

#include "tools/check/profile_reading.h"

namespace check {

// Whole families with their help and type, all gauges and without timestamps (the textfile
// collector refuses those). A box file that could not be read leaves only mirelko_read_success
// at 0 and when the check ran, so that a collector never goes on serving the boxes of an older
// read as if they were fine. Times are values, Unix seconds, for alert rules to compare with
// the time at which they are evaluated: an age computed here would freeze in a file served on.
std::string Exposition(const Reading& reading);

}  // namespace check
