// The real game binary started as a player starts it: answers on standard input, a window under
// Xvfb, keys through xdotool, and the fatal start-up paths with their messages and exit status.
#include <gtest/gtest.h>

#include <regex>

#include "support/Game.h"

namespace {

constexpr double startTimeout = 120.0;

TEST(GameShell, WindowedStartShowsStatisticsAndEndsWithEscape) {
    ChildProcess game(gameOptions());
    game.writeInput("0\n800\n600\n0\n");
    const std::string window = focusGameWindow();
    ASSERT_FALSE(window.empty()) << game.outSoFar();

    EXPECT_EQ(xdotool({"getwindowname", window}), "Velmora");
    ProcessOptions geometryQuery;
    geometryQuery.args = {"/usr/bin/xdotool", "getwindowgeometry", window};
    EXPECT_NE(runProcess(geometryQuery, "", 20.0).out.find("800x600"), std::string::npos);

    ASSERT_TRUE(holdKeyUntilOutput(game, window, "F2", "rendered Objects", startTimeout))
        << game.outSoFar();
    const ProcessResult result = holdKeyUntilExit(game, window, "Escape", startTimeout);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;

    // Every statistics line has the exact layout; no OpenGL error was reported.
    const std::regex statistics(
        "frametime:[0-9.e+-]+ms =~ ([0-9.e+-]+|inf)fps \n rendered Objects[0-9]+\n");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(result.out, match, statistics)) << result.out;
    EXPECT_EQ(result.out.find("Mainmain end"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.rfind("Pleace enter '1' if you want to start in full screen mode", 0), 0u);
}

TEST(GameShell, EndOfInputAtTheFirstQuestionStartsWindowedWithTheCommandLineSize) {
    ChildProcess game(gameOptions({"640", "480"}));
    game.closeInput();
    const std::string window = focusGameWindow();
    ASSERT_FALSE(window.empty()) << game.outSoFar();
    ProcessOptions geometryQuery;
    geometryQuery.args = {"/usr/bin/xdotool", "getwindowgeometry", window};
    EXPECT_NE(runProcess(geometryQuery, "", 20.0).out.find("640x480"), std::string::npos);
    const ProcessResult result = holdKeyUntilExit(game, window, "Escape", startTimeout);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("You are executing '"), std::string::npos);
    // The later questions are written but find no answer: testing mode stays off, silently.
    EXPECT_EQ(result.out.find("Shadowmap informations"), std::string::npos);
}

struct FatalCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* input;
    bool noDisplay;
    const char* stream;  // "out" or "err"
    const char* message;
};

class FatalStart : public testing::TestWithParam<FatalCase> {};

TEST_P(FatalStart, WritesItsMessagePausesAndExitsWithOne) {
    const FatalCase& fatal = GetParam();
    ProcessOptions options = gameOptions(fatal.arguments);
    if (fatal.noDisplay) {
        options.unsetEnv.push_back("DISPLAY");
        options.unsetEnv.push_back("WAYLAND_DISPLAY");
    }
    // Standard input ends after the answers, so the pause must not wait for ever.
    const ProcessResult result = runProcess(options, fatal.input, 60.0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.termSignal, 0);
    EXPECT_EQ(result.exitCode, 1);
    const std::string& stream = std::string(fatal.stream) == "err" ? result.err : result.out;
    EXPECT_NE(stream.find(std::string(fatal.message) + "\n"), std::string::npos)
        << "out: " << result.out << "\nerr: " << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Shell, FatalStart,
    testing::Values(
        FatalCase{"SecondArgumentNotANumber",
                  {"800x600", "abc"},
                  "",
                  false,
                  "err",
                  "ERROR: Could not parse second dommand-line-argument"},
        FatalCase{"FirstArgumentNotANumber",
                  {"abc", "600"},
                  "",
                  false,
                  "err",
                  "ERROR: Could not parse first command-line-argument"},
        FatalCase{"FirstArgumentEmpty",
                  {"", "600"},
                  "",
                  false,
                  "err",
                  "ERROR: Could not parse first command-line-argument"},
        FatalCase{"ArgumentBeyond32Bits",
                  {"99999999999", "600"},
                  "",
                  false,
                  "err",
                  "ERROR: Could not parse first command-line-argument"},
        FatalCase{"SizeZero", {}, "0\n0\n600\n0\n", false, "out", "Failed to open window"},
        FatalCase{"SizeNotANumber", {}, "0\nwide\n", false, "out", "Failed to open window"},
        FatalCase{"NegativeSize", {}, "0\n-800\n600\n0\n", false, "out", "Failed to open window"},
        FatalCase{"SizeBeyondAnyScreen",
                  {},
                  "0\n100000\n600\n0\n",
                  false,
                  "out",
                  "Failed to open window"},
        FatalCase{"NoDisplay", {}, "0\n800\n600\n0\n", true, "out", "Failed to init glfw"}),
    [](const testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

}  // namespace
