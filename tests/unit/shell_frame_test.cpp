// The shell's frame loop as the player runs it, driven through the scripted window: the callbacks'
// registration and routing, the mouse buttons, the option keys' order and shared debounce, quick
// taps, the order of the frame's steps, game-over blending, the board's fixed eye, keyboard
// movement, mouse look, and the statistics and error lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/OptionKeys.h"
#include "app/ScriptedWindow.h"
#include "app/WindowSystem.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "scene/RenderOptions.h"
#include "support/GameDriver.h"

namespace {

// A key that means nothing to the game.
constexpr int keyK = 75;

// The eye in front of the level-1 piece 2, looking at it.
void aimAtPieceTwo(GameDriver& game) {
    game.placeCamera({-2.2f, 8.0f, -1.4f}, positionOf(level1Part2Transform));
}

TEST(Callbacks, EventsOfTheFirstFrameReachNothingAndLaterOnesTheirCallbacks) {
    GameDriver game(GameDriver::Rendering::recorded, GameDriver::FirstFrame::leave);
    aimAtPieceTwo(game);
    queueKeyEvent(key::up, pressAction);
    queueKeyEvent(key::w, pressAction);
    queueButtonEvent(leftButton, pressAction);
    queueCursorEvent(600.0, 400.0);
    const glm::vec3 start = playerCamera->position;
    game.frame();
    EXPECT_FLOAT_EQ(visibility, 1.0f);
    EXPECT_FALSE(carryingPart2);
    EXPECT_FLOAT_EQ(playerCamera->yaw, 0.0f);
    // Nothing was registered before this frame's registration, so the held W moved nothing.
    EXPECT_EQ(playerCamera->position, start);

    // From the second frame on: the release of UP is an event like any other, and W, still held,
    // moves the camera once per frame.
    queueKeyEvent(key::up, releaseAction);
    game.frame();
    EXPECT_FLOAT_EQ(visibility, 2.0f);
    EXPECT_NEAR(playerCamera->position.z, start.z - GameDriver::frameTime, 1e-6f);
}

TEST(Callbacks, KeysGoToTheBoardWhileItHasTheKeyboardAndArrowsAlwaysChangeTheBrightness) {
    GameDriver game;
    currentLevel = 2;
    game.placeCamera({-5.0f, 9.3f, -1.0f}, positionOf(boardTransform));
    game.click();
    ASSERT_TRUE(boardMode);
    // W moves the selection up a row (cell 4 to cell 1), not the camera.
    game.tap(key::w);
    EXPECT_EQ(boardCursor, 1);
    // A tap of UP is two events, a press and a release: two steps, and the board keeps its cursor.
    game.tapInOnePoll(key::up);
    EXPECT_FLOAT_EQ(visibility, 3.0f);
    game.tapInOnePoll(key::down);
    EXPECT_FLOAT_EQ(visibility, 1.0f);
    EXPECT_EQ(boardCursor, 1);
    // Q is no board key: held, it moves nothing, and the camera stays exactly at the board's eye.
    game.press(key::q);
    game.run(0.5f);
    EXPECT_EQ(playerCamera->position, glm::vec3(-5.4f, 9.3f, -1.0f));
}

TEST(Callbacks, TabAndGGoToTheActionKeysEverythingElseToMovement) {
    GameDriver game;
    // TAB crouches on its press; its release finds it up and does nothing.
    game.press(key::tab);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 7.5f);
    // G only repeats the action keys' tests: with TAB still held, its press stands the player up
    // again and its release crouches once more.
    game.press(key::g);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 8.0f);
    game.release(key::g);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 7.5f);
    game.release(key::tab);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 7.5f);
    // Any other key's press or repeat event moves the camera by the keys held, besides the
    // frame's own move.
    game.press(key::q);
    const float afterPress = playerCamera->position.y;
    game.frame();
    EXPECT_NEAR(playerCamera->position.y - afterPress, 2.0f * GameDriver::frameTime, 1e-5f);
    queueKeyEvent(keyK, pressAction);
    queueKeyEvent(key::q, repeatAction);
    game.frame();
    EXPECT_NEAR(playerCamera->position.y - afterPress, 8.0f * GameDriver::frameTime, 1e-5f);
}

TEST(Callbacks, OnlyAPressOfTheLeftButtonClicks) {
    GameDriver game;
    aimAtPieceTwo(game);
    queueButtonEvent(leftButton, releaseAction);
    queueButtonEvent(1, pressAction);
    queueButtonEvent(2, pressAction);
    queueButtonEvent(1, releaseAction);
    game.frame();
    EXPECT_FALSE(carryingPart2);
    queueButtonEvent(leftButton, pressAction);
    game.frame();
    EXPECT_TRUE(carryingPart2);
}

TEST(Callbacks, MouseLookTurnsInDoublePrecision) {
    GameDriver game;
    // A tenth of a pixel from the window centre: in single precision the cursor difference alone
    // would be off by six parts in a hundred thousand.
    queueCursorEvent(500.1, 400.0);
    game.frame();
    EXPECT_NEAR(playerCamera->yaw, 5.2359878e-4f, 2e-10f);
    queueCursorEvent(500.1, 399.9);
    game.frame();
    EXPECT_NEAR(playerCamera->pitch, 5.2359878e-4f, 2e-10f);
}

// The seven option keys in the order they are read, each with the state it switches.
struct OptionKey {
    int keyCode;
    const char* name;
    bool (*switched)();
};
const OptionKey optionKeys[] = {
    {key::f2, "F2", [] { return !hideStatistics; }},
    {key::f3, "F3", [] { return !wireframeOff; }},
    {key::f9, "F9", [] { return !blendingOff; }},
    {key::f4, "F4", [] { return nearestNeighborMode; }},
    {key::f6, "F6", [] { return playerCamera->lowered; }},
    {key::f5, "F5", [] { return mipMapping; }},
    {key::f8, "F8", [] { return viewFrustumMode; }},
};

TEST(OptionKeys, OfTwoHeldKeysTheEarlierActsAndTheLaterWaits) {
    for (std::size_t i = 0; i + 1 < std::size(optionKeys); ++i) {
        const OptionKey& earlier = optionKeys[i];
        const OptionKey& later = optionKeys[i + 1];
        SCOPED_TRACE(std::string(earlier.name) + " and " + later.name);
        GameDriver game;
        game.run(0.5f);
        game.pressTogether(earlier.keyCode, later.keyCode);
        EXPECT_TRUE(earlier.switched());
        EXPECT_FALSE(later.switched());
        // Held on, the earlier key keeps toggling every half second and the later never acts.
        game.run(2.0f);
        EXPECT_FALSE(later.switched());
        game.release(earlier.keyCode);
        game.run(0.55f);
        EXPECT_TRUE(later.switched());
    }
}

TEST(OptionKeys, AHeldKeyTogglesEveryHalfSecondAndEachToggleWritesItsMessage) {
    GameDriver game;
    game.run(0.5f);
    // Held for 1.2 s from the first toggle: on, then off after more than half a second, and on
    // again after the next.
    game.press(key::f3);
    game.run(1.2f);
    game.release(key::f3);
    EXPECT_EQ(GameDriver::rendered().wireframeOn, 2);
    EXPECT_EQ(GameDriver::rendered().wireframeOff, 1);
    for (const int keyCode : {key::f9, key::f9, key::f4, key::f4, key::f8, key::f8, key::f5,
                              key::f5, key::f5, key::f5}) {
        game.run(0.6f);
        game.tapInOnePoll(keyCode);
    }
    EXPECT_EQ(game.console(),
              "Activate wireframe-mode.\n"
              "Deactivated wireframe-mode.\n"
              "Activate wireframe-mode.\n"
              "Activate Blending-mode.\n"
              "Deactivated Blending-mode.\n"
              "Activate Nearest Neighbor-mode. Deactivated Bilinear-mode.\n"
              "Deactivated Nearest Neighbor-mode. Activate Bilinear-mode.\n"
              "Activate Viewfrustum-mode.\n"
              "Deactivated Viewfrustum-mode.\n"
              "Activate Mip Mapping with linear-mode.\n"
              "Activate Mip Mapping with Nearest Neighbor-mode. (Deactivated Linear-mode.)\n"
              "Deaktivate Mip Mapping-mode.\n"
              "Activate Mip Mapping with linear-mode.\n");
}

TEST(OptionKeys, TheSharedTimerMustPassHalfASecondNotJustReachIt) {
    GameDriver game;
    // The next frame brings the timer to exactly half a second.
    toggleTimer = 0.5f - GameDriver::frameTime;
    ASSERT_EQ(toggleTimer + GameDriver::frameTime, 0.5f);
    game.press(key::f3);
    EXPECT_EQ(GameDriver::rendered().wireframeOn, 0);
    game.frame();
    EXPECT_EQ(GameDriver::rendered().wireframeOn, 1);
}

TEST(OptionKeys, ATapWithinOnePollCountsOnceUnlessTheDebounceHoldsItBack) {
    GameDriver game;
    game.run(0.5f);
    game.tapInOnePoll(key::f8);
    EXPECT_TRUE(viewFrustumMode);
    // Too soon after the last toggle: lost, as a held key would wait; it is not kept for later.
    game.tapInOnePoll(key::f4);
    game.run(1.0f);
    EXPECT_FALSE(nearestNeighborMode);
    // A repeat event is no press.
    queueKeyEvent(key::f4, repeatAction);
    queueKeyEvent(key::f4, releaseAction);
    game.frame();
    EXPECT_FALSE(nearestNeighborMode);
}

TEST(Escape, AHeldKeyOrATapWithinOnePollClosesTheWindowAndEndsTheLoop) {
    {
        GameDriver game;
        game.tapInOnePoll(key::escape);
        EXPECT_TRUE(windowSystem.shouldClose(nullptr));
    }
    // The loop itself: Escape held from its first poll ends it after that one frame.
    GameDriver game(GameDriver::Rendering::recorded, GameDriver::FirstFrame::leave);
    queueKeyEvent(key::escape, pressAction);
    runFrameLoop(nullptr, 0.0);
    EXPECT_EQ(GameDriver::rendered().framesRendered, 1);
}

TEST(FrameOrder, TheRulesSeeTheCameraBeforeItsViewUpdateAndTheLightFollowsAfterIt) {
    GameDriver game;
    aimAtPieceTwo(game);
    game.click();
    ASSERT_TRUE(carryingPart2);
    game.frame();
    const float hanging = level1Part2Transform[3].y - playerCamera->position.y;
    // The view update of the frame after F6 drops the camera 0.2; the carried piece, placed by the
    // rules before it, follows one frame later. The light does not follow a lowered camera's
    // height.
    game.run(0.5f);
    game.tapInOnePoll(key::f6);
    game.frame();
    EXPECT_NEAR(level1Part2Transform[3].y - playerCamera->position.y, hanging + 0.2f, 1e-5f);
    game.frame();
    EXPECT_NEAR(level1Part2Transform[3].y - playerCamera->position.y, hanging, 1e-5f);
    // A lowered camera whose light is not held: the light follows the dropped eye.
    playerCamera->lowered = false;
    game.frame();
    playerCamera->lowered = true;
    spotLight->heightLocked = false;
    game.frame();
    EXPECT_NEAR(spotLight->position.y, playerCamera->position.y - 0.2f, 1e-6f);
}

TEST(FrameOrder, AfterGameOverEveryFrameSwitchesBlendingOnAgain) {
    GameDriver game;
    game.run(1.0f);
    EXPECT_EQ(GameDriver::rendered().blendingOn, 0);
    gameOver = true;
    game.run(1.0f);
    EXPECT_EQ(GameDriver::rendered().blendingOn, 60);
    // F9 (its second press, as the first switches on) turns it off for the frame that follows,
    // no longer.
    game.tapInOnePoll(key::f9);
    game.run(0.6f);
    game.tapInOnePoll(key::f9);
    EXPECT_EQ(GameDriver::rendered().blendingOff, 1);
    const int before = GameDriver::rendered().blendingOn;
    game.frame();
    EXPECT_EQ(GameDriver::rendered().blendingOn, before + 1);
}

TEST(ConsoleLines, TheStatisticsAndErrorLinesHaveTheirExactText) {
    GameDriver game;
    game.run(0.5f);
    renderedObjects = 25;
    game.tapInOnePoll(key::f2);
    game.frame();
    EXPECT_EQ(game.console(), "frametime:16.6667ms =~ 60fps \n rendered Objects25\n");
    hideStatistics = true;
    GameDriver::rendered().pendingError = 1282;
    game.frame();
    EXPECT_EQ(game.console(),
              "frametime:16.6667ms =~ 60fps \n rendered Objects25\n1282Mainmain end \n");
    // A frame time of zero prints an infinite rate.
    std::ostringstream out;
    writeStatistics(out, 0.0f);
    EXPECT_EQ(out.str(), "frametime:0ms =~ inffps \n rendered Objects25\n");
}

}  // namespace
