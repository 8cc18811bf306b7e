// The first-person camera and the carried light, through the frame loop the player runs: the
// pitch limit and the cursor wrap at two edges, walking and flying, crouch, jump and landing, the
// lowered stance, and the light follow.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "app/OptionKeys.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "support/GameDriver.h"

namespace {

// Ten pixels of mouse movement, in radians.
constexpr float tenPixels = 0.05235988f;
// A frame time that sums exactly in binary, so a landing frame is exact.
constexpr float binaryFrame = 0.015625f;

TEST(Camera, PitchPassesTheLimitByOneStepThenOnlyTurnsBack) {
    GameDriver game;
    playerCamera->pitch = 1.56f;
    for (const auto& [y, pitch] : {std::pair{390.0, 1.56f + tenPixels},
                                   std::pair{380.0, 1.56f + tenPixels}, std::pair{390.0, 1.56f}}) {
        queueCursorEvent(500.0, y);
        game.frame();
        EXPECT_NEAR(playerCamera->pitch, pitch, 1e-6f) << y;
        EXPECT_NEAR(playerCamera->front.y, std::sin(pitch), 1e-6f) << y;
    }
    // Looking up leaves the horizontal part of the view a unit long.
    EXPECT_NEAR(std::hypot(playerCamera->front.x, playerCamera->front.z), 1.0f, 1e-6f);
}

TEST(Camera, TheCursorWrapsAtTwoEdgesAtOnceAndOnlyTheMoveBeforeTheJumpTurns) {
    GameDriver game;
    // Near the left and the bottom edge of the 1000 x 800 window: both jumps, the second at the
    // new x.
    queueCursorEvent(4.0, 797.0);
    game.frame();
    EXPECT_DOUBLE_EQ(scriptedCursorX(), 994.0);
    EXPECT_NEAR(scriptedCursorY(), 4.8, 1e-9);
    const float yaw = playerCamera->yaw;
    const float pitch = playerCamera->pitch;
    EXPECT_NEAR(yaw, -496.0 * 0.3 * 0.017453292519943295, 1e-5);
    queueCursorEvent(994.0, 4.8);
    game.frame();
    EXPECT_FLOAT_EQ(playerCamera->yaw, yaw);
    EXPECT_FLOAT_EQ(playerCamera->pitch, pitch);
}

TEST(Camera, KeysWalkFlatAndFlyByTheFrameTime) {
    // The driver's scripted keyboard holds the keys; a camera of its own moves by them. The
    // playthrough walks every way; here, that W stays level and the speeds.
    GameDriver game;
    Camera camera(glm::mat4(1.0f), 0, 0);
    camera.moveStep = 0.016f;
    // Looking up does not make W climb.
    camera.pitch = 0.5f;
    camera.front.y = std::sin(0.5f);
    const struct {
        std::vector<int> keys;
        int steps;
        glm::vec3 position;
    } moves[] = {{{key::w}, 1, {-3.0f, 8.0f, -1.016f}},
                 {{key::a, key::s}, 1, {-3.016f, 8.0f, -1.0f}},
                 {{key::q}, 1, {-3.016f, 8.032f, -1.0f}},
                 {{key::e}, 2, {-3.016f, 7.968f, -1.0f}}};
    for (const auto& move : moves) {
        for (const int keyCode : move.keys) {
            queueKeyEvent(keyCode, pressAction);
        }
        game.frame();
        for (int step = 0; step < move.steps; ++step) {
            camera.processMovementKeys(nullptr);
        }
        expectNear(camera.position, move.position, 1e-6f);
        for (const int keyCode : move.keys) {
            queueKeyEvent(keyCode, releaseAction);
        }
        game.frame();
    }
}

TEST(Camera, CrouchTogglesAndAJumpLandsFiftyFrameTimesLater) {
    GameDriver game(GameDriver::Rendering::recorded, GameDriver::FirstFrame::run, binaryFrame);
    EXPECT_FLOAT_EQ(playerCamera->moveStep, binaryFrame);
    for (const float height : {7.5f, 8.0f, 7.5f}) {
        game.press(key::tab);
        game.release(key::tab);
        EXPECT_FLOAT_EQ(playerCamera->position.y, height);
    }

    // Jumping from a crouch goes to the standing height plus 0.3.
    game.press(key::space);
    EXPECT_TRUE(playerCamera->jumping);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 8.3f);
    game.release(key::space);
    // No crouch and no second jump while in the air.
    game.pressTogether(key::tab, key::space);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 8.3f);
    game.release(key::tab);
    game.release(key::space);
    // Four frames since the jump.
    int frames = 4;
    while (playerCamera->jumping && frames < 100) {
        game.frame();
        ++frames;
    }
    EXPECT_EQ(frames, 50);
    EXPECT_NEAR(playerCamera->position.y, 8.0f, 1e-5f);
    EXPECT_FLOAT_EQ(playerCamera->jumpTimer, 0.0f);
}

TEST(Camera,
     TheLoweredStanceDropsOncePerActivationAndTheLightKeepsItsHeightOrInTestingModeItsPlace) {
    GameDriver game;
    // The light follows the eye, 0.2 below it.
    EXPECT_EQ(spotLight->position, glm::vec3(-3.0f, 7.8f, -1.0f));
    game.press(key::q);
    game.run(0.2f);
    game.release(key::q);
    const float eye = playerCamera->position.y;
    EXPECT_GT(eye, 8.0f);
    EXPECT_NEAR(spotLight->position.y, eye - 0.2f, 1e-6f);

    // F6: the camera drops 0.2 once, level with the light, which keeps its height.
    game.run(0.5f);
    game.tapInOnePoll(key::f6);
    game.run(0.6f);
    EXPECT_NEAR(playerCamera->position.y, eye - 0.2f, 1e-5f);
    EXPECT_NEAR(spotLight->position.y, eye - 0.2f, 1e-5f);
    // Off (the light follows again, 0.2 below the eye) and on again: a second drop, level with
    // the light once more.
    game.tapInOnePoll(key::f6);
    game.run(0.6f);
    EXPECT_NEAR(spotLight->position.y, eye - 0.4f, 1e-5f);
    game.tapInOnePoll(key::f6);
    game.run(0.6f);
    EXPECT_NEAR(playerCamera->position.y, eye - 0.4f, 1e-5f);
    EXPECT_NEAR(spotLight->position.y, eye - 0.4f, 1e-5f);
    // In testing mode the light stays where it is.
    testingMode = true;
    spotLight->position = glm::vec3(0.0f, 0.0f, 1.5f);
    playerCamera->position = glm::vec3(5.0f, 5.0f, 5.0f);
    game.frame();
    EXPECT_EQ(spotLight->position, glm::vec3(0.0f, 0.0f, 1.5f));
    testingMode = false;
}

}  // namespace
