// The least the system can do for a file job, timed: what the file layer's figures stand beside.
#pragma once

#include <string>

namespace bench {

// One plain read of a whole file into fresh memory: open, one read of its size (known
// beforehand) and a byte more, close; microseconds.
double ReadFloor(const std::string& path);
// A durable replacement of a file holding `bytes` in `dir` with nothing else: write a new file,
// flush it to the disk, move it over the old one, and make the move itself durable.
double DurableWriteFloor(const std::string& dir, const std::string& bytes);
// Those steps, in the system's words, for the table.
extern const char kDurableWriteSteps[];
// The machine's load average over the last minute, for the note above the figures; empty where
// the system does not tell.
std::string LoadAverage();
// A fresh, empty directory for a benchmark run, made the profile directory.
std::string MakeProfileDirectory();

}  // namespace bench
