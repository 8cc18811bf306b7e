// Runs the real game for many frames under a scripted player in a small hidden window and reports
// the frames, the resident memory after the warm-up and at the end, and the OpenGL errors. Fails
// (status 1) on any OpenGL error or when the memory grows by more than the limit. With --gl-debug
// the game runs on a debug context: any failing debug message (an error, undefined or unportable
// behaviour, high or medium severity) fails the run as well, and every message is listed.
//
//   velmora_soak [--frames N] [--no-memory-check] [--gl-debug]
//
// Run it in the game's working directory (build/run), under xvfb-run where there is no display.
#include <GLFW/glfw3.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <ostream>
#include <streambuf>
#include <string>

#include "SoakScript.h"
#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "tools/gldebug/DebugContext.h"

namespace {

constexpr int windowSide = 240;
constexpr float frameTime = 1.0f / 60.0f;
constexpr long memoryLimitKb = 1024;

// Takes the frame loop's console (statistics lines, option messages) without keeping it, but
// counts the OpenGL error lines and passes the first few on to standard output.
class ErrorLineCounter : public std::streambuf {
public:
    long errorLines() const { return errors_; }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) {
            return traits_type::not_eof(c);
        }
        take(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        for (std::streamsize i = 0; i < n; ++i) {
            take(s[i]);
        }
        return n;
    }

private:
    static constexpr char marker[] = "Mainmain end \n";
    static constexpr std::size_t shown = 5;
    void take(char c) {
        if (line_.size() < 256) {
            line_.push_back(c);
        }
        if (c != '\n') {
            return;
        }
        const std::size_t at = line_.find(marker);
        if (at != std::string::npos && at + sizeof marker - 1 == line_.size()) {
            if (++errors_ <= static_cast<long>(shown)) {
                std::cout << line_;
            }
        }
        line_.clear();
    }
    std::string line_;
    long errors_ = 0;
};

long residentKb() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return -1;
    }
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Whether the debug callback is in place on the game's context.
bool debugOutputInstalled = false;

void startDebugOutput() {
    debugOutputInstalled = installDebugOutput();
}

// Memory at the end of each round of the script: the resident set, and of it what the C heap holds
// in use, so a growth can be told apart from the driver's own mappings.
void reportRound(int frame) {
    const struct mallinfo2 heap = mallinfo2();
    std::cout << "soak: frame " << frame << ": resident " << residentKb() << " KB";
    // A sanitizer's allocator keeps its own books and reports nothing here.
    const size_t heapKb = (heap.uordblks + heap.hblkhd) / 1024;
    if (heapKb > 0) {
        std::cout << ", heap in use " << heapKb << " KB";
    }
    std::cout << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 20000;
    bool memoryCheck = true;
    bool glDebug = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--no-memory-check") == 0) {
            memoryCheck = false;
        } else if (std::strcmp(argv[i], "--gl-debug") == 0) {
            glDebug = true;
        } else {
            std::cerr << "usage: velmora_soak [--frames N] [--no-memory-check] [--gl-debug]\n";
            return 2;
        }
    }
    if (glDebug) {
        hiddenStartHooks = {requestDebugContext, startDebugOutput};
    }
    GLFWwindow* window = startHiddenGame(windowSide * 4 / 3, windowSide, false);
    if (window == nullptr) {
        std::cerr << "soak: the game cannot start here (no display?)\n";
        return 2;
    }
    // The player's own frame loop, with the scripted player's events delivered in its polls.
    installScriptedWindow(frameTime, glfwSwapBuffers);
    startSoakScript();
    ErrorLineCounter errorLines;
    std::ostream console(&errorLines);
    FrameLoopState loop;
    long warmKb = residentKb();
    const auto started = std::chrono::steady_clock::now();

    for (int frame = 0; frame < frames; ++frame) {
        scriptFrameState(frame);
        queueFrameEvents(frame);
        runFrame(window, loop, console);
        if (frame + 1 == soakWarmUpFrames) {
            warmKb = residentKb();
            reportRound(frame + 1);
        }
        if (frame >= soakWarmUpFrames && (frame + 1 - soakWarmUpFrames) % soakRoundFrames == 0) {
            reportRound(frame + 1);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const long endKb = residentKb();
    const long glErrors = errorLines.errorLines();
    uninstallScriptedWindow();
    shutDown();

    const long growthKb = endKb - warmKb;
    const bool memoryFlat = !memoryCheck || frames <= soakWarmUpFrames || growthKb <= memoryLimitKb;
    std::cout << "soak: " << frames << " frames in " << seconds << " s ("
              << (seconds > 0.0 ? frames / seconds : 0.0) << " frames/s), window "
              << windowSide * 4 / 3 << " x " << windowSide << "\n";
    std::cout << "soak: resident memory " << warmKb << " KB after " << soakWarmUpFrames
              << " frames, " << endKb << " KB at the end (" << (growthKb >= 0 ? "+" : "")
              << growthKb << " KB; limit "
              << (memoryCheck ? std::to_string(memoryLimitKb) + " KB" : "off") << ")\n";
    std::cout << "soak: OpenGL errors " << glErrors << "\n";
    bool debugClean = true;
    if (glDebug) {
        std::cout << std::flush;
        printDebugMessages(stdout);
        std::fflush(stdout);
        debugClean = debugOutputInstalled && debugTally().failing == 0;
    }
    const bool passed = glErrors == 0 && memoryFlat && debugClean;
    std::cout << "soak: " << (passed ? "PASS" : "FAIL") << std::endl;
    return passed ? 0 : 1;
}
