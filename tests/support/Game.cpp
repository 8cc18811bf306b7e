#include "support/Game.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Lets the key go. A key sent to the focused window goes through the server's own keyboard, where
// it would stay down (and repeat into the next game's window) if the release went only to a window
// that is already gone.
void releaseKey(const std::string& window, const std::string& keyName) {
    xdotool({"keyup", "--window", window, keyName});
    xdotool({"keyup", keyName});
}

// Holds the key until the game answers. The key goes down again every second: a press that
// reaches the game while it is still loading may never be seen.
bool holdKeyUntil(ChildProcess& game, const std::string& window, const std::string& keyName,
                  const std::function<bool()>& answered, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        xdotool({"keydown", "--window", window, keyName});
        const Clock::time_point again = Clock::now() + std::chrono::seconds(1);
        while (Clock::now() < again) {
            if (answered()) {
                releaseKey(window, keyName);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        releaseKey(window, keyName);
        if (game.ended()) {
            return answered();
        }
    }
    return false;
}

// "WIDTHxHEIGHT" from the window's geometry, or "" when it cannot be asked.
std::string windowSize(const std::string& window) {
    const std::string out = xdotool({"getwindowgeometry", window});
    const size_t at = out.find("Geometry: ");
    return at == std::string::npos ? "" : out.substr(at + 10, out.find('\n', at) - at - 10);
}

}  // namespace

ProcessOptions gameOptions(const std::vector<std::string>& arguments) {
    ProcessOptions options;
    options.args.push_back(VELMORA_BINARY_PATH);
    options.args.insert(options.args.end(), arguments.begin(), arguments.end());
    options.workDir = VELMORA_RUN_DIR;
    return options;
}

std::string xdotool(const std::vector<std::string>& arguments, double timeoutSeconds) {
    ProcessOptions options;
    options.args = {"/usr/bin/xdotool"};
    options.args.insert(options.args.end(), arguments.begin(), arguments.end());
    std::string out = runProcess(options, "", timeoutSeconds).out;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

PlayedRun playUntilEscape(ChildProcess& game, double timeoutSeconds, EscapeBy escape,
                          const WhilePlaying& whilePlaying) {
    PlayedRun played;
    const Clock::time_point deadline =
        Clock::now() +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    std::string window;
    while (window.empty() && Clock::now() < deadline && !game.ended()) {
        window = xdotool({"search", "--pid", std::to_string(game.pid())}, 10.0);
        window = window.substr(0, window.find('\n'));
        if (window.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    played.windowSeen = !window.empty();
    if (played.windowSeen) {
        xdotool({"windowfocus", "--sync", window});
        played.framesRan = holdKeyUntil(
            game, window, "F2",
            [&game] { return game.outSoFar().find(" rendered Objects") != std::string::npos; },
            deadline);
        played.windowSize = windowSize(window);
        played.windowTitle = xdotool({"getwindowname", window});
        if (played.framesRan && whilePlaying) {
            whilePlaying(window);
        }
        if (escape == EscapeBy::oneTap) {
            xdotool({"key", "--delay", "0", "--window", window, "Escape"});
            const Clock::time_point tapDeadline = Clock::now() + std::chrono::seconds(20);
            while (Clock::now() < tapDeadline && !game.ended()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            played.endedByTap = game.ended();
        }
        holdKeyUntil(
            game, window, "Escape", [&game] { return game.ended(); }, deadline);
    }
    const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
    played.result = game.wait(left > 1.0 ? left : 1.0);
    return played;
}
