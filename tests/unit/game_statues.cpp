// The statues of level 3: they creep up only while out of view, faster with every hit on the
// fleeing box, never onto each other, and a statue next to the player ends the game.

#include <cmath>

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "game/Statues.h"
#include "support/GameDriver.h"

namespace {

class Statues : public ::testing::Test {
protected:
    void SetUp() override { currentLevel = 3; }

    // The camera, with the light 0.2 below it as the light follow puts it.
    void stand(const glm::vec3& eye, const glm::vec3& front) {
        playerCamera->position = eye;
        playerCamera->front = front;
        spotLight->position = eye - glm::vec3(0.0f, 0.2f, 0.0f);
    }

    static void place(glm::mat4& statue, const glm::vec3& position) {
        statue[3] = glm::vec4(position, 1.0f);
    }

    // World distance statue 1 covers in one second of frames.
    static float secondOfMovement() {
        const glm::vec3 start = positionOf(statue1Transform);
        for (int i = 0; i < 60; ++i) {
            moveStatues(GameDriver::frameTime);
        }
        return glm::length(positionOf(statue1Transform) - start);
    }

    GameDriver game;
};

glm::vec3 yawed(float degrees) {
    const float radians = glm::radians(degrees);
    return {std::sin(radians), 0.0f, -std::cos(radians)};
}

}  // namespace

TEST_F(Statues, UnseenStatuesGetFasterWithEveryHitOnTheBox) {
    // Far ahead of both statues, looking away from them, at their height.
    stand({20.0f, 8.5f, -3.0f}, {1.0f, 0.0f, 0.0f});
    for (int hits = 0; hits <= 3; ++hits) {
        boxChaseClicks = hits;
        // (hits + 1) / 3.5 model units per second, in the statue's 0.7 scale.
        EXPECT_NEAR(secondOfMovement(), 0.2f * static_cast<float>(hits + 1), 1e-3f);
    }
    EXPECT_FLOAT_EQ(positionOf(statue1Transform).y, 8.5f);
    // High above the statue, the step normalised in three dimensions shrinks on the ground.
    boxChaseClicks = 0;
    const glm::vec3 s1 = positionOf(statue1Transform);
    stand(s1 + glm::vec3(3.0f, 3.0f, 0.0f), {1.0f, 0.0f, 0.0f});
    moveStatues(0.5f);
    EXPECT_NEAR(glm::length(positionOf(statue1Transform) - s1), 0.1f / std::sqrt(2.0f), 1e-5f);
}

TEST_F(Statues, AStatueInsideTheViewConeStandsStill) {
    const glm::vec3 s1 = positionOf(statue1Transform);
    const glm::vec3 s2 = positionOf(statue2Transform);
    // Statue 1 straight ahead, statue 2 45 degrees off to the left: only statue 2 moves.
    stand({-2.0f, 8.5f, -1.0f}, yawed(0.0f));
    moveStatues(0.1f);
    EXPECT_EQ(positionOf(statue1Transform), s1);
    EXPECT_NE(positionOf(statue2Transform), s2);
    // The cone's half-angle is 40.5 degrees.
    stand({-2.0f, 8.5f, -1.0f}, yawed(40.0f));
    moveStatues(0.1f);
    EXPECT_EQ(positionOf(statue1Transform), s1);
    stand({-2.0f, 8.5f, -1.0f}, yawed(41.0f));
    moveStatues(0.1f);
    EXPECT_NE(positionOf(statue1Transform), s1);
}

TEST_F(Statues, StatueTwoIsJudgedFromTheLight) {
    const glm::vec3 s2 = positionOf(statue2Transform);
    stand({-4.0f, 8.5f, -1.0f}, yawed(0.0f));
    // The camera looks straight at statue 2, but the light is far off to the side.
    spotLight->position = glm::vec3(6.0f, 8.5f, -3.0f);
    moveStatues(0.1f);
    const glm::vec3 moved = positionOf(statue2Transform);
    // It walks towards the camera, not the light.
    EXPECT_NEAR(moved.x, s2.x, 1e-6f);
    EXPECT_GT(moved.z, s2.z);
}

TEST_F(Statues, AStatueNeverStepsNextToTheOther) {
    stand({-2.0f, 8.5f, 3.0f}, yawed(180.0f));
    // Statue 2 just north of statue 1's path, 0.2 to the side: statue 1 keeps its place.
    place(statue2Transform, positionOf(statue1Transform) + glm::vec3(0.2f, 0.0f, 0.1f));
    const glm::vec3 s1 = positionOf(statue1Transform);
    moveStatues(0.1f);
    EXPECT_EQ(positionOf(statue1Transform), s1);
    // Exactly level on x is not "next to": both distances must be above zero.
    place(statue2Transform, positionOf(statue1Transform) + glm::vec3(0.0f, 0.0f, 0.1f));
    moveStatues(0.1f);
    EXPECT_NE(positionOf(statue1Transform), s1);
}

TEST_F(Statues, AStatueWithinAQuarterUnitCatchesThePlayerOnce) {
    CoutCapture out;
    const glm::vec3 s1 = positionOf(statue1Transform);
    // Exactly on the statue's x line does not count.
    stand(s1 + glm::vec3(0.0f, 0.5f, 0.2f), yawed(0.0f));
    game.frame();
    EXPECT_FALSE(gameOver);
    stand(s1 + glm::vec3(0.2f, 0.5f, 0.2f), yawed(0.0f));
    // Both statues at once report both catches in the same frame.
    place(statue2Transform, s1 + glm::vec3(0.1f, 0.0f, 0.1f));
    game.frame();
    EXPECT_TRUE(gameOver);
    game.run(1.0f);
    EXPECT_EQ(out.text(), "GAMEOVER1 \nGAMEOVER2 \n");
}
