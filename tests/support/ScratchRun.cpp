#include "support/ScratchRun.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include <GLFW/glfw3.h>

#include "support/Game.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Lines every healthy run writes: the dialogue's prompts.
const std::set<std::string> promptLines = {
    "Pleace enter '1' if you want to start in full screen mode and `0` otherwise",
    " than press Enter afterwords",
    "Pleace enter your desired window width and Press Enter",
    "Pleace enter your desired window height and Press Enter",
    "If you want to start the programm in testing mode",
    " (for shadow Mapping -> fixed light position and direction)",
    " enter '1' otherwise anything else",
};

// True while the child has not ended; leaves an ended child for ChildProcess::wait to collect.
bool stillRunning(int pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

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
        if (!stillRunning(game.pid())) {
            return answered();
        }
    }
    return false;
}

// "WIDTHxHEIGHT" from the window's geometry, or "" when it cannot be asked.
std::string windowSize(const std::string& window) {
    ProcessOptions query;
    query.args = {"/usr/bin/xdotool", "getwindowgeometry", window};
    const std::string out = runProcess(query, "", 20.0).out;
    const std::string label = "Geometry: ";
    const size_t at = out.find(label);
    if (at == std::string::npos) {
        return "";
    }
    const size_t end = out.find('\n', at);
    return out.substr(at + label.size(), end == std::string::npos ? end : end - at - label.size());
}

}  // namespace

void holdDisplayOpen() {
    static const bool held = glfwInit() == GLFW_TRUE;
    (void)held;
}

ScratchRun::ScratchRun() {
    holdDisplayOpen();
    std::string pattern = (fs::temp_directory_path() / "velmora-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    path_ = pattern;
    // Everything but the binary, which the copy is started with from where it was built.
    for (const fs::directory_entry& entry : fs::directory_iterator(VELMORA_RUN_DIR)) {
        if (entry.path().filename() != "velmora") {
            fs::copy(entry.path(), fs::path(path_) / entry.path().filename(),
                     fs::copy_options::recursive);
        }
    }
}

ScratchRun::~ScratchRun() {
    std::error_code ignored;
    if (!path_.empty()) {
        fs::remove_all(path_, ignored);
    }
}

std::string ScratchRun::original(const std::string& relative) {
    std::ifstream in(std::string(VELMORA_RUN_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ScratchRun::write(const std::string& relative, const std::string& bytes) const {
    std::error_code ignored;
    fs::remove_all(file(relative), ignored);
    std::ofstream out(file(relative), std::ios::binary);
    out << bytes;
}

ProcessOptions ScratchRun::gameOptions(const std::vector<std::string>& arguments) const {
    ProcessOptions options = ::gameOptions(arguments);
    options.workDir = path_;
    // Broken data drives system libraries down paths where they leak; those leaks are listed, and
    // only those are forgiven.
    options.setEnv.emplace_back("LSAN_OPTIONS",
                                "suppressions=" VELMORA_SOURCE_DIR
                                "/tests/support/system-leaks.supp:print_suppressions=0");
    return options;
}

const char* faultName(FileFault fault) {
    switch (fault) {
        case FileFault::missing:
            return "Missing";
        case FileFault::empty:
            return "Empty";
        case FileFault::truncated:
            return "Truncated";
        case FileFault::garbage:
            return "Garbage";
        case FileFault::folder:
            return "Folder";
    }
    return "Unknown";
}

void breakFile(const ScratchRun& run, const std::string& relative, FileFault fault) {
    const std::string whole = ScratchRun::original(relative);
    std::error_code ignored;
    switch (fault) {
        case FileFault::missing:
            fs::remove_all(run.file(relative), ignored);
            break;
        case FileFault::empty:
            run.write(relative, "");
            break;
        case FileFault::truncated:
            run.write(relative, whole.substr(0, whole.size() / 2));
            break;
        case FileFault::garbage:
            run.write(relative, garbageBytes(4096));
            break;
        case FileFault::folder:
            fs::remove_all(run.file(relative), ignored);
            fs::create_directory(run.file(relative));
            break;
    }
}

std::string garbageBytes(size_t length) {
    std::string bytes(length, '\0');
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (char& byte : bytes) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        byte = static_cast<char>(state >> 56);
    }
    return bytes;
}

std::vector<std::string> unexpectedLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const bool statistics =
            line.rfind("frametime:", 0) == 0 || line.rfind(" rendered Objects", 0) == 0;
        if (!statistics && promptLines.count(line) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

PlayedRun playUntilEscape(ChildProcess& game, double timeoutSeconds) {
    holdDisplayOpen();
    PlayedRun played;
    const Clock::time_point deadline =
        Clock::now() +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    std::string window;
    while (window.empty() && Clock::now() < deadline && stillRunning(game.pid())) {
        window = xdotool({"search", "--pid", std::to_string(game.pid())}, 10.0);
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
        holdKeyUntil(
            game, window, "Escape", [&game] { return !stillRunning(game.pid()); }, deadline);
    }
    const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
    played.result = game.wait(left > 1.0 ? left : 1.0);
    return played;
}
