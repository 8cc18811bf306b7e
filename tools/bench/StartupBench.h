#pragma once

#include <iosfwd>

// Runs the real start-up (startHiddenGame at 1280 x 720) up to the first presented frame, in this
// process, and writes one line "startup" with the seconds of each part, measured from
// spawnedAt (a monotonic time stamp taken by the parent just before it started this process).
int runStartupBench(double spawnedAt, double mainEnteredAt, std::ostream& out);
