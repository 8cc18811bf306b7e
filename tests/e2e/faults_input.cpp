// What a player can type: answers to the start-up questions and command-line arguments that are
// words, negative or beyond 32 bits, input that ends at a question, and window sizes
// the screen cannot hold. Each either starts the game, which then draws and ends with 0 on Escape,
// or ends with its message and status 1; none crashes or hangs. A mouse that leaves the window
// fast does not freeze the view. And the game runs no shell.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/Game.h"
#include "support/ScratchRun.h"

// Last: Xlib defines macros with common names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr double runTimeout = 180.0;

struct FatalInput {
    const char* name;
    std::vector<std::string> arguments;
    const char* answers;
    bool onStandardError;
    const char* message;
    bool noDisplay = false;
    // A line the window system writes itself before the message.
    const char* before = nullptr;
};

class FatalInputTest : public testing::TestWithParam<FatalInput> {};

// Standard input ends after the answers, so the pause after the message must not wait for ever.
TEST_P(FatalInputTest, EndsWithItsMessageAndStatusOne) {
    const FatalInput& input = GetParam();
    ProcessOptions options = gameOptions(input.arguments);
    if (input.noDisplay) {
        options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
    }
    const ProcessResult result = runProcess(options, input.answers, 60.0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.termSignal, 0);
    EXPECT_EQ(result.exitCode, 1);
    const std::string& stream = input.onStandardError ? result.err : result.out;
    EXPECT_NE(stream.find(std::string(input.message) + "\n"), std::string::npos)
        << "out: " << result.out << "\nerr: " << result.err;
    if (!input.onStandardError) {
        EXPECT_EQ(result.err, "");
    }
    if (input.before != nullptr) {
        EXPECT_LT(result.out.find(std::string(input.before) + "\n"), result.out.find(input.message))
            << result.out;
    }
}

const char* const noWindow = "Failed to open window";
const char* const firstArgument = "ERROR: Could not parse first command-line-argument";
const char* const secondArgument = "ERROR: Could not parse second dommand-line-argument";

INSTANTIATE_TEST_SUITE_P(
    Dialogue, FatalInputTest,
    testing::Values(
        FatalInput{"NoDisplay", {}, "0\n800\n600\n0\n", false, "Failed to init glfw", true},
        FatalInput{"SecondArgumentNotANumber", {"800x600", "abc"}, "", true, secondArgument},
        FatalInput{"FirstArgumentNotANumber", {"abc", "600"}, "", true, firstArgument},
        FatalInput{
            "SizeZero", {}, "0\n0\n600\n0\n", false, noWindow, false, "Invalid window size 0x600"},
        FatalInput{"SizeBeyondAnyScreen", {}, "0\n100000\n600\n0\n", false, noWindow},
        // Without a command line the sizes start at 0, so no answer at all opens no window.
        FatalInput{"NoInputAtAll", {}, "", false, noWindow},
        FatalInput{"LettersAtTheFirstQuestion", {}, "abc\n800\n600\n0\n", false, noWindow},
        FatalInput{"InputEndsAtTheWidth", {}, "0\n", false, noWindow},
        // A width beyond 32 bits saturates and fails the stream; the height is never read.
        FatalInput{"WidthBeyond32Bits", {}, "0\n99999999999\n600\n0\n", false, noWindow},
        FatalInput{"NegativeHeight", {}, "0\n800\n-600\n0\n", false, noWindow},
        // Negative arguments are numbers; with no answer to supersede them they reach the window.
        FatalInput{"NegativeArgumentsAndNoAnswers", {"-800", "-600"}, "", false, noWindow}),
    [](const testing::TestParamInfo<FatalInput>& info) { return std::string(info.param.name); });

// Standard input held open, as a terminal holds it: the pause does not take what the dialogue left
// of its last line (its line end, or words after the number) for the key press it waits for.
TEST(Pause, WaitsForANewLineWhileInputStaysOpen) {
    for (const char* answers : {"0 0 600 0\n", "0\n0\n600\n0 and more\n", "0\nwide\n"}) {
        SCOPED_TRACE(answers);
        ChildProcess game(gameOptions());
        game.writeInput(answers);
        ASSERT_TRUE(
            game.waitForOutput("Failed to open window\nPress Enter to continue . . . ", 60.0))
            << game.outSoFar();
        EXPECT_TRUE(game.runningAfter(1.0));
        game.writeInput("\n");
        EXPECT_FALSE(game.runningAfter(30.0));
        const ProcessResult result = game.wait(10.0);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.termSignal, 0);
        EXPECT_EQ(result.exitCode, 1);
    }
}

struct StartingInput {
    const char* name;
    const char* answers;
    // The window's size as the window system reports it.
    const char* windowSize;
    // Messages of the window system the game passes on; without a window manager, a full-screen
    // window that loses the focus cannot be iconified and says so.
    bool windowSystemMessages;
};

class StartingInputTest : public testing::TestWithParam<StartingInput> {};

TEST_P(StartingInputTest, StartsDrawsAndEndsWithEscape) {
    const StartingInput& input = GetParam();
    ChildProcess game(gameOptions());
    game.writeInput(input.answers);
    game.closeInput();
    const PlayedRun played = playUntilEscape(game, runTimeout);
    const ProcessResult& result = played.result;
    EXPECT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_EQ(played.windowSize, input.windowSize);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.termSignal, 0) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // Testing mode stays off, so nothing but the questions and the statistics is written.
    for (const std::string& line : unexpectedLines(result.out)) {
        EXPECT_TRUE(input.windowSystemMessages && line.rfind("X11: ", 0) == 0) << line;
    }
}

// The tests run on a 1920 x 1080 screen.
INSTANTIATE_TEST_SUITE_P(
    Dialogue, StartingInputTest,
    testing::Values(
        StartingInput{"InputEndsAtTheTestingQuestion", "0\n320\n240\n", "320x240", false},
        StartingInput{"FullScreenAndInputEnds", "1\n", "1920x1080", true},
        // The text after the 1 fails the testing question: full screen, testing off.
        StartingInput{"FullScreenWithExtraText", "1abc\n1\n", "1920x1080", true},
        StartingInput{"WindowLargerThanTheScreen", "0\n2400\n1400\n0\n", "2400x1400", false},
        StartingInput{"OnePixelWindow", "0\n1\n1\n0\n", "1x1", false}),
    [](const testing::TestParamInfo<StartingInput>& info) { return std::string(info.param.name); });

// The window's pixels as the X server holds them; under Xvfb the game's frames are drawn there.
std::string windowPixels(Display* display, const std::string& window) {
    const Window id = std::stoul(window);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, id, &attributes);
    XImage* image = XGetImage(display, id, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return "";
    }
    std::string pixels(image->data, static_cast<size_t>(image->bytes_per_line * image->height));
    XDestroyImage(image);
    return pixels;
}

// Waits up to 30 seconds until the picture stays the same for a moment (steady) or differs from
// `before`, and returns it; the picture `before` when it never changes.
std::string waitForPixels(Display* display, const std::string& window, bool steady,
                          std::string before = "") {
    for (int tries = 0; tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::string now = windowPixels(display, window);
        if ((now == before) == steady) {
            return now;
        }
        before = steady ? now : before;
    }
    return before;
}

// The cursor is hidden but not captured, and the window system reports no position outside the
// window. One fast motion from inside to well past the right edge still turns the view, and the
// cursor comes back, so motion after that turns it too.
TEST(MouseLook, AFastMotionOutOfTheWindowStillTurnsTheView) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ChildProcess game(gameOptions());
    game.writeInput("0\n320\n240\n0\n");
    game.closeInput();
    bool turnedLeaving = false;
    bool turnedAfter = false;
    const PlayedRun played =
        playUntilEscape(game, runTimeout, EscapeBy::holding, [&](const std::string& window) {
            xdotool({"mousemove", "--sync", "--window", window, "160", "120"});
            const std::string inside = waitForPixels(display, window, true);
            // 200 pixels past the right edge in one event.
            xdotool({"mousemove", "--window", window, "520", "120"});
            turnedLeaving = waitForPixels(display, window, false, inside) != inside;
            const std::string left = waitForPixels(display, window, true);
            xdotool({"mousemove_relative", "60", "0"});
            turnedAfter = waitForPixels(display, window, false, left) != left;
        });
    XCloseDisplay(display);
    EXPECT_TRUE(played.framesRan) << played.result.out << played.result.err;
    EXPECT_TRUE(turnedLeaving);
    EXPECT_TRUE(turnedAfter);
    EXPECT_EQ(played.result.exitCode, 0) << played.result.err;
}

// The console pause after a fatal message is the game's own prompt: the binary links no way of
// starting a shell or another program.
TEST(NoShell, TheGameImportsNoFunctionThatStartsAProgram) {
    ProcessOptions symbols;
    symbols.args = {"/usr/bin/nm", "--dynamic", "--undefined-only", "--format=just-symbols",
                    VELMORA_BINARY_PATH};
    const ProcessResult result = runProcess(symbols, "", 60.0);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_NE(result.out.find("glfwInit"), std::string::npos) << "the listing names imports";
    const std::set<std::string> forbidden = {
        "system", "popen",   "execl", "execle", "execlp",      "execv",        "execve",
        "execvp", "execvpe", "fork",  "vfork",  "posix_spawn", "posix_spawnp", "wordexp"};
    std::istringstream lines(result.out);
    // "name@VERSION": the bare name.
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(forbidden.contains(line.substr(0, line.find('@')))) << line;
    }
}

}  // namespace
