#pragma once

#include <cstdio>

// OpenGL debug output for test and tool runs (never the game's own start): a debug context and a
// synchronous callback (KHR_debug) that sorts every message the driver sends. An error, undefined
// or unportable behaviour, or any message of high or medium severity is a failing message; the
// others (performance hints above all) are counted and listed.

// Asks for a debug context for the next window (a window hint: call after the window system is
// initialised, before the window is made).
void requestDebugContext();

// Installs the callback on the current context; the tally runs on over every context. Reports
// through the failure handler and returns false when the context is no debug context or offers no
// debug output.
bool installDebugOutput();

// Called on each failing message as it arrives, inside the OpenGL call that caused it; tests turn
// it into a failure of the running test. Null: only counted.
void setDebugFailureHandler(void (*handler)(const char* description));

// While one lives, failing messages are the expected answer to something provoked on purpose (a
// test of an error report): counted here, not passed to the failure handler. Scopes do not nest.
class ExpectedDebugMessages {
public:
    ExpectedDebugMessages();
    ~ExpectedDebugMessages();
    ExpectedDebugMessages(const ExpectedDebugMessages&) = delete;
    ExpectedDebugMessages& operator=(const ExpectedDebugMessages&) = delete;
    // The failing messages that arrived in the scope so far.
    long count() const;
};

// The messages received so far, by kind (expected ones not among the failing).
struct DebugTally {
    long failing = 0;
    long expected = 0;
    long performance = 0;
    long other = 0;
};
DebugTally debugTally();

// One line per distinct message: source, type, severity, count and text.
void printDebugMessages(std::FILE* out);
