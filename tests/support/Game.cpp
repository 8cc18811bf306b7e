#include "support/Game.h"

#include <unistd.h>

#include <chrono>
#include <thread>

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
    ProcessResult result = runProcess(options, "", timeoutSeconds);
    std::string out = result.out;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    const size_t firstLineEnd = out.find('\n');
    return firstLineEnd == std::string::npos ? out : out.substr(0, firstLineEnd);
}

std::string focusGameWindow() {
    const std::string window = xdotool({"search", "--sync", "--name", "^Velmora$"}, 60.0);
    if (!window.empty()) {
        // There is no window manager under Xvfb, so the window is focused, not activated.
        xdotool({"windowfocus", "--sync", window});
    }
    return window;
}

void tapKey(const std::string& window, const std::string& keyName, double holdSeconds) {
    xdotool({"keydown", "--window", window, keyName});
    std::this_thread::sleep_for(std::chrono::duration<double>(holdSeconds));
    xdotool({"keyup", "--window", window, keyName});
}

bool waitForOutput(ChildProcess& child, const std::string& text, double timeoutSeconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (child.outSoFar().find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return child.outSoFar().find(text) != std::string::npos;
}

bool holdKeyUntilOutput(ChildProcess& child, const std::string& window, const std::string& keyName,
                        const std::string& text, double timeoutSeconds) {
    xdotool({"keydown", "--window", window, keyName});
    const bool seen = waitForOutput(child, text, timeoutSeconds);
    xdotool({"keyup", "--window", window, keyName});
    return seen;
}

ProcessResult holdKeyUntilExit(ChildProcess& child, const std::string& window,
                               const std::string& keyName, double timeoutSeconds) {
    xdotool({"keydown", "--window", window, keyName});
    ProcessResult result = child.wait(timeoutSeconds);
    xdotool({"keyup", keyName});
    return result;
}
