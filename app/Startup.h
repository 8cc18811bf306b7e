#pragma once

#include <iosfwd>

// The start-up dialogue and the optional command line, kept apart from the window so they can be
// driven through string streams.

// Validates the optional window width and height given as the first two arguments (they are only
// checked; the dialogue supersedes them). Writes the failure message and returns false when an
// argument is not a number.
bool readCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Asks for full screen, the window size (windowed only) and the testing mode; fills windowWidth,
// windowHeight and testingMode. Returns true when the player chose full screen. Once a read has
// failed (not a number, end of input) every later read changes nothing. Takes the rest of the
// line its last read stopped in, so the next reader of the input starts at a fresh line.
bool askStartupSettings(std::istream& in, std::ostream& out);

// The largest window side we try to open; larger answers fail like a size the window system
// refuses.
constexpr int largestWindowSide = 16384;

// True when a window of this size may be asked of the window system. It refuses a side of 0 itself,
// with its own error line; a negative or an absurdly large side would abort it instead.
bool isOpenableWindowSize(int width, int height);
