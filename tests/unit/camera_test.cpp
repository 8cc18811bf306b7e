// The first-person camera and the carried light: mouse look, cursor wrap, walking and flying,
// crouch, jump and landing, the lowered stance, and the light follow.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "support/FakeKeys.h"

namespace {

class CameraTest : public testing::Test {
protected:
    void SetUp() override {
        lowerLatch = true;
        testingMode = false;
        windowWidth = 1000;
        windowHeight = 800;
        lastCursorX = 500.0;
        lastCursorY = 400.0;
        playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), 0, 0);
        spotLight = std::make_unique<Light>(glm::vec3(0.0f, 0.0f, 1.5f), false);
    }
    void TearDown() override {
        playerCamera.reset();
        spotLight.reset();
        testingMode = false;
    }
    // One frame of the loop's camera work with a fixed frame time.
    void frame(float dt) {
        advanceJump(*playerCamera, dt);
        playerCamera->updateView();
        followPlayerLight();
    }
    FakeKeys keys;
};

TEST_F(CameraTest, StartsStandingAtTheEntranceLookingAlongMinusZ) {
    const Camera& camera = *playerCamera;
    EXPECT_EQ(camera.position, glm::vec3(-3.0f, 8.0f, -1.0f));
    EXPECT_EQ(camera.front, glm::vec3(0.0f, 0.0f, -1.0f));
    EXPECT_FLOAT_EQ(camera.moveStep, 0.05f);
    EXPECT_FLOAT_EQ(floorHeight, 8.0f);
    // The constructor computes the view from the position, whatever matrix it was given.
    const glm::vec4 eyeInView = camera.view * glm::vec4(camera.position, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(eyeInView)), 0.0f, 1e-5f);
}

TEST_F(CameraTest, MouseLookTurnsByThreeTenthsOfADegreePerPixel) {
    Camera& camera = *playerCamera;
    camera.processMouse(510.0, 400.0);
    EXPECT_NEAR(camera.yaw, 0.05235988f, 1e-7f);
    EXPECT_NEAR(camera.front.x, std::sin(0.05235988f), 1e-6f);
    EXPECT_NEAR(camera.front.z, -std::cos(0.05235988f), 1e-6f);
    EXPECT_FLOAT_EQ(camera.front.y, 0.0f);

    // The same position as last seen does nothing; processMouse never stores the position.
    lastCursorX = 510.0;
    camera.processMouse(510.0, 400.0);
    EXPECT_NEAR(camera.yaw, 0.05235988f, 1e-7f);

    // Moving the cursor up looks up; the vertical part of front is sin(pitch), not normalised.
    camera.processMouse(510.0, 390.0);
    EXPECT_NEAR(camera.pitch, 0.05235988f, 1e-7f);
    EXPECT_NEAR(camera.front.y, std::sin(0.05235988f), 1e-6f);
    EXPECT_NEAR(camera.front.x * camera.front.x + camera.front.z * camera.front.z, 1.0f, 1e-6f);
}

TEST_F(CameraTest, PitchPassesTheLimitByOneStepThenOnlyTurnsBack) {
    Camera& camera = *playerCamera;
    camera.pitch = 1.56f;
    camera.processMouse(500.0, 390.0);
    EXPECT_NEAR(camera.pitch, 1.6123599f, 1e-6f);
    camera.processMouse(500.0, 380.0);
    EXPECT_NEAR(camera.pitch, 1.6123599f, 1e-6f);
    camera.processMouse(500.0, 410.0);
    EXPECT_NEAR(camera.pitch, 1.6123599f - 0.05235988f, 1e-6f);
}

TEST_F(CameraTest, CursorWrapsAtTheEdgesWithoutTurningTheView) {
    // The first event turns by its distance from the window centre, where start-up put it.
    auto jumps = lookAndWrapCursor(996.0, 400.0);
    const float yawAfterEdge = playerCamera->yaw;
    EXPECT_NEAR(yawAfterEdge, 496.0 * 0.3 * 0.017453292519943295, 1e-5);
    ASSERT_TRUE(jumps[0].wanted);
    EXPECT_DOUBLE_EQ(jumps[0].x, 6.0);
    EXPECT_DOUBLE_EQ(jumps[0].y, 400.0);
    EXPECT_FALSE(jumps[1].wanted);
    EXPECT_DOUBLE_EQ(lastCursorX, 6.0);
    EXPECT_DOUBLE_EQ(lastCursorY, 400.0);

    // The cursor arriving where it was sent does not turn the view.
    lookAndWrapCursor(6.0, 400.0);
    EXPECT_FLOAT_EQ(playerCamera->yaw, yawAfterEdge);

    // Near the left edge and the bottom edge at once: both jumps, the second at the new x.
    jumps = lookAndWrapCursor(4.0, 797.0);
    ASSERT_TRUE(jumps[0].wanted);
    EXPECT_DOUBLE_EQ(jumps[0].x, 994.0);
    ASSERT_TRUE(jumps[1].wanted);
    EXPECT_DOUBLE_EQ(jumps[1].x, 994.0);
    EXPECT_NEAR(jumps[1].y, 4.8, 1e-9);
    EXPECT_DOUBLE_EQ(lastCursorX, 994.0);
    EXPECT_NEAR(lastCursorY, 4.8, 1e-9);

    // Away from the edges nothing jumps and the last position is the event's.
    jumps = lookAndWrapCursor(300.0, 300.0);
    EXPECT_FALSE(jumps[0].wanted);
    EXPECT_FALSE(jumps[1].wanted);
    EXPECT_DOUBLE_EQ(lastCursorX, 300.0);
    EXPECT_DOUBLE_EQ(lastCursorY, 300.0);
}

TEST_F(CameraTest, KeysWalkFlatAndFlyByTheFrameTime) {
    Camera& camera = *playerCamera;
    frame(0.016f);
    // Looking up does not make W climb.
    camera.pitch = 0.5f;
    camera.front.y = std::sin(0.5f);
    keys.press(key::w);
    camera.processMovementKeys(nullptr);
    EXPECT_NEAR(camera.position.x, -3.0f, 1e-6f);
    EXPECT_NEAR(camera.position.y, 8.0f, 1e-6f);
    EXPECT_NEAR(camera.position.z, -1.016f, 1e-6f);

    keys.releaseAll();
    keys.press(key::d);
    camera.processMovementKeys(nullptr);
    EXPECT_NEAR(camera.position.x, -2.984f, 1e-6f);
    keys.releaseAll();
    keys.press(key::a);
    keys.press(key::s);
    camera.processMovementKeys(nullptr);
    EXPECT_NEAR(camera.position.x, -3.0f, 1e-6f);
    EXPECT_NEAR(camera.position.z, -1.0f, 1e-6f);

    keys.releaseAll();
    keys.press(key::q);
    camera.processMovementKeys(nullptr);
    EXPECT_NEAR(camera.position.y, 8.032f, 1e-6f);
    keys.releaseAll();
    keys.press(key::e);
    camera.processMovementKeys(nullptr);
    camera.processMovementKeys(nullptr);
    EXPECT_NEAR(camera.position.y, 7.968f, 1e-6f);
}

TEST_F(CameraTest, CrouchTogglesAndJumpLandsAfterFiftyFrameTimes) {
    Camera& camera = *playerCamera;
    keys.press(key::tab);
    camera.processActionKeys(nullptr);
    EXPECT_FLOAT_EQ(camera.position.y, 7.5f);
    camera.processActionKeys(nullptr);
    EXPECT_FLOAT_EQ(camera.position.y, 8.0f);
    camera.processActionKeys(nullptr);
    keys.releaseAll();

    // Jumping from a crouch goes to the standing height plus 0.3.
    keys.press(key::space);
    camera.processActionKeys(nullptr);
    keys.releaseAll();
    EXPECT_TRUE(camera.jumping);
    EXPECT_FLOAT_EQ(camera.position.y, 8.3f);

    // No crouch and no second jump while in the air.
    keys.press(key::tab);
    keys.press(key::space);
    camera.processActionKeys(nullptr);
    keys.releaseAll();
    EXPECT_FLOAT_EQ(camera.position.y, 8.3f);

    // A frame time that sums exactly in binary, so the landing frame is exact.
    int frames = 0;
    while (camera.jumping && frames < 100) {
        frame(0.015625f);
        ++frames;
    }
    EXPECT_EQ(frames, 50);
    EXPECT_NEAR(camera.position.y, 8.0f, 1e-5f);
    EXPECT_FLOAT_EQ(camera.jumpTimer, 0.0f);
}

TEST_F(CameraTest, OnlyAJumpLandsEvenWithAZeroFrameTime) {
    // A player flying above the standing height is not pulled down by a frame of length 0.
    playerCamera->position.y = 9.3f;
    frame(0.0f);
    frame(0.0f);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 9.3f);
}

TEST_F(CameraTest, LoweredStanceDropsOncePerActivation) {
    Camera& camera = *playerCamera;
    camera.lowered = true;
    frame(0.016f);
    frame(0.016f);
    EXPECT_NEAR(camera.position.y, 7.8f, 1e-6f);
    camera.lowered = false;
    frame(0.016f);
    EXPECT_NEAR(camera.position.y, 7.8f, 1e-6f);
    camera.lowered = true;
    frame(0.016f);
    EXPECT_NEAR(camera.position.y, 7.6f, 1e-6f);
}

TEST_F(CameraTest, LightFollowsTheEyeUnlessHeightLockedOrTesting) {
    frame(0.016f);
    EXPECT_EQ(spotLight->position, glm::vec3(-3.0f, 7.8f, -1.0f));

    keys.press(key::q);
    playerCamera->processMovementKeys(nullptr);
    frame(0.016f);
    EXPECT_NEAR(spotLight->position.y, playerCamera->position.y - 0.2f, 1e-6f);

    // The lowered stance: the camera drops while the light keeps its height, level with the eye.
    const float lightHeight = spotLight->position.y;
    spotLight->heightLocked = true;
    playerCamera->lowered = true;
    frame(0.016f);
    EXPECT_FLOAT_EQ(spotLight->position.y, lightHeight);
    EXPECT_NEAR(playerCamera->position.y, lightHeight, 1e-5f);

    testingMode = true;
    spotLight->position = glm::vec3(0.0f, 0.0f, 1.5f);
    playerCamera->position = glm::vec3(5.0f, 5.0f, 5.0f);
    frame(0.016f);
    EXPECT_EQ(spotLight->position, glm::vec3(0.0f, 0.0f, 1.5f));
}

}  // namespace
