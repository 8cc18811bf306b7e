#pragma once

// The console pause after a fatal start-up message: writes a prompt, waits for one new line (or the
// end of input, so a closed standard input never hangs) and exits with status 1. No shell command
// runs. The start-up dialogue leaves no part of its answers' lines behind (Startup.h).
[[noreturn]] void pauseAndExit();
