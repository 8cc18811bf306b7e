#pragma once

// The console pause after a fatal start-up message: writes a prompt, waits for one line (or the end
// of input, so a closed standard input never hangs) and exits with status 1. No shell command runs.
[[noreturn]] void pauseAndExit();
