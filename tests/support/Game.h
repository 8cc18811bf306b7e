#pragma once

#include <string>
#include <vector>

#include "support/Process.h"

// Drives the real game binary in a test: started in the run directory with answers on standard
// input, its window found and fed keys through xdotool (the test runs under Xvfb).

ProcessOptions gameOptions(const std::vector<std::string>& arguments = {});

// Runs an X tool command and returns its standard output (trimmed); empty on failure.
std::string xdotool(const std::vector<std::string>& arguments, double timeoutSeconds = 20.0);

// Waits for the game's window and gives it the keyboard focus; returns its id or "".
std::string focusGameWindow();

// Holds a key down long enough for a frame's polling to see it, then lets it go.
void tapKey(const std::string& window, const std::string& keyName, double holdSeconds = 0.3);

// Holds a key down until the child has written the text (or has ended), then lets it go. A tap
// while the game is still loading would be lost: press and release reach one event poll.
bool holdKeyUntilOutput(ChildProcess& child, const std::string& window, const std::string& keyName,
                        const std::string& text, double timeoutSeconds);

// Holds a key down until the child has ended; returns its result.
ProcessResult holdKeyUntilExit(ChildProcess& child, const std::string& window,
                               const std::string& keyName, double timeoutSeconds);

// Waits until the child's standard output contains the text (polling), up to the timeout.
bool waitForOutput(ChildProcess& child, const std::string& text, double timeoutSeconds);
