#pragma once

#include <iosfwd>

// Starts the real game in a hidden window of the given size and measures, level by level, the
// steady frame time with culling off and on beside two baselines of the same run and size: a
// frame that only clears and swaps, and the shading floor (one full-window pass of the main
// fragment program plus a 900 x 900 depth pass of the level's triangle count). Writes one encoded
// line per level and culling mode (see Report.h) and a line "clear MS". Returns 0 on success.
int runFrameBench(int width, int height, int framesPerKind, std::ostream& out);
