// The real game binary started as a player starts it: answers on standard input, a window under
// Xvfb, keys through xdotool. The fatal start-up paths are in faults_input.cpp.
#include <gtest/gtest.h>

#include <regex>

#include "support/Game.h"

namespace {

constexpr double runTimeout = 180.0;

TEST(GameShell, WindowedStartShowsStatisticsAndEndsWithEscape) {
    ChildProcess game(gameOptions());
    game.writeInput("0\n800\n600\n0\n");
    const PlayedRun played = playUntilEscape(game, runTimeout);
    const ProcessResult& result = played.result;
    ASSERT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_EQ(played.windowTitle, "Velmora");
    EXPECT_EQ(played.windowSize, "800x600");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Every statistics line has the exact layout; no OpenGL error was reported.
    const std::regex statistics(
        "frametime:[0-9.e+-]+ms =~ ([0-9.e+-]+|inf)fps \n rendered Objects[0-9]+\n");
    EXPECT_TRUE(std::regex_search(result.out, statistics)) << result.out;
    EXPECT_EQ(result.out.find("Mainmain end"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.rfind("Pleace enter '1' if you want to start in full screen mode", 0), 0u);
}

// A tap of Escape whose press and release arrive in one event poll, as a tool or a quick finger
// sends it, ends the game.
TEST(GameShell, EndOfInputAtTheFirstQuestionKeepsTheCommandLineSizeAndOneQuickTapQuits) {
    ChildProcess game(gameOptions({"640", "480"}));
    game.closeInput();
    const PlayedRun played = playUntilEscape(game, runTimeout, EscapeBy::oneTap);
    ASSERT_TRUE(played.framesRan) << played.result.out << played.result.err;
    EXPECT_EQ(played.windowSize, "640x480");
    EXPECT_TRUE(played.endedByTap);
    EXPECT_EQ(played.result.exitCode, 0);
    EXPECT_NE(played.result.out.find("You are executing '"), std::string::npos);
    // The later questions are written but find no answer: testing mode stays off, silently.
    EXPECT_EQ(played.result.out.find("Shadowmap informations"), std::string::npos);
}

}  // namespace
