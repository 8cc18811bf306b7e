#pragma once

// The console pause after a fatal start-up message: drops what the dialogue left of the line it was
// reading (without waiting), writes a prompt, waits for one new line (or the end of input, so a
// closed standard input never hangs) and exits with status 1. No shell command runs.
[[noreturn]] void pauseAndExit();
