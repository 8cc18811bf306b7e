#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/Process.h"

// Drives the real game binary in a test: started with answers on standard input, its window found
// and fed keys through xdotool (the test runs under Xvfb).

// The game binary in the shared run directory.
ProcessOptions gameOptions(const std::vector<std::string>& arguments = {});

// Runs xdotool and returns its output without the trailing line end; empty on failure.
std::string xdotool(const std::vector<std::string>& arguments, double timeoutSeconds = 20.0);

// What a run that got its window came to.
struct PlayedRun {
    bool windowSeen = false;
    // A frame was drawn after the loading: the statistics line asked for with F2 appeared.
    bool framesRan = false;
    // The window's title and size while frames were drawn ("WIDTHxHEIGHT").
    std::string windowTitle;
    std::string windowSize;
    // With a single tap: the game ended on it.
    bool endedByTap = false;
    ProcessResult result;
};

// How the run is ended: Escape held until the game ends, or one quick tap (press and release
// sent together, so both arrive in one event poll) with holding only as a fallback.
enum class EscapeBy { holding, oneTap };

// What a test does with the window while frames are drawn; it receives the window's id.
using WhilePlaying = std::function<void(const std::string& window)>;

// Waits for the game's window, holds F2 until a statistics line shows that frames are being
// drawn, runs whilePlaying (if any), then holds Escape until the game ends. Keys are sent again
// while unanswered, as a key pressed during the loading is lost.
PlayedRun playUntilEscape(ChildProcess& game, double timeoutSeconds,
                          EscapeBy escape = EscapeBy::holding,
                          const WhilePlaying& whilePlaying = {});
