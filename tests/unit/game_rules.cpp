// The rules between frames and clicks: the gaze test, carrying pieces, level completion, rewards,
// doors, the solved board, the fleeing box, the hidden boxes and the companion's walk.

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "game/Click.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "support/GameDriver.h"

namespace {

constexpr float cone20_5 = 0.3577925f;

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void moveTo(glm::mat4& model, const glm::vec3& position) {
    model[3] = glm::vec4(position, 1.0f);
}

class Rules : public ::testing::Test {
protected:
    // Looks at an object from the given eye and clicks.
    void clickAt(const glm::vec3& eye, const glm::mat4& target) {
        game.placeCamera(eye, positionOf(target));
        game.click();
    }

    void placePieces() {
        moveTo(level1Part1Transform, positionOf(level1Place3Transform));
        moveTo(level1Part2Transform, positionOf(level1Place2Transform));
        moveTo(level1Part3Transform, positionOf(level1Place1Transform));
    }

    GameDriver game;
};

}  // namespace

TEST_F(Rules, GazeTestNeedsTheTargetStrictlyInsideConeAndReach) {
    const glm::vec3 eye(0.0f, 8.0f, 0.0f);
    const auto inDirection = [&](float degrees, float distance) {
        const float a = glm::radians(degrees);
        return eye + distance * glm::vec3(std::sin(a), 0.0f, -std::cos(a));
    };
    game.placeCamera(eye, eye + glm::vec3(0.0f, 0.0f, -1.0f));
    EXPECT_TRUE(gazeTest(inDirection(20.4f, 0.5f), cone20_5, 1.0f));
    EXPECT_FALSE(gazeTest(inDirection(20.6f, 0.5f), cone20_5, 1.0f));
    EXPECT_FALSE(gazeTest(inDirection(0.0f, 1.0f), cone20_5, 1.0f));
    EXPECT_TRUE(gazeTest(inDirection(0.0f, 1.0f), cone20_5, 1.001f));
    EXPECT_FALSE(gazeTest(inDirection(180.0f, 0.5f), cone20_5, 1.0f));
    EXPECT_FALSE(gazeTest(eye, cone20_5, 1.0f));
    // The camera's own front is not normalised (looking 45 degrees down here).
    playerCamera->front = glm::vec3(0.0f, -1.0f, -1.0f);
    EXPECT_TRUE(gazeTest(eye + glm::vec3(0.0f, -0.5f, -0.5f), 0.01f, 1.0f));
}

TEST_F(Rules, LevelOneClicksCarryDropAndSwapPieces) {
    const glm::vec3 eye(-2.2f, 8.0f, -1.4f);
    clickAt(eye, level1Part2Transform);
    ASSERT_TRUE(carryingPart2);
    // The piece floats one unit along the view, shifted 0.03 on x and z.
    game.placeCamera(eye, eye + glm::vec3(-1.0f, 0.0f, 0.0f));
    game.frame();
    expectNear(positionOf(level1Part2Transform), eye + glm::vec3(-0.97f, 0.0f, 0.03f));
    // A click at nothing drops it where it floats.
    game.click();
    game.frame();
    EXPECT_FALSE(carryingPart2);
    expectNear(positionOf(level1Part2Transform), eye + glm::vec3(-0.97f, 0.0f, 0.03f));

    // Carrying piece 1 and clicking piece 3 swaps them.
    clickAt({-3.7f, 8.0f, -3.4f}, level1Part1Transform);
    ASSERT_TRUE(carryingPart1);
    clickAt({-0.9f, 8.0f, -3.5f}, level1Part3Transform);
    EXPECT_FALSE(carryingPart1);
    EXPECT_TRUE(carryingPart3);
    game.click();

    // Two pieces in view: the one nearer the world's vertical axis is taken; on a tie, the first.
    const glm::vec3 eyeAbove(-1.35f, 8.0f, -1.35f);
    const glm::vec3 between(-1.8f, 7.3f, -1.8f);
    moveTo(level1Part1Transform, {-2.0f, 7.3f, -1.6f});
    moveTo(level1Part2Transform, {-1.55f, 7.3f, -1.95f});
    game.placeCamera(eyeAbove, between);
    game.click();
    EXPECT_FALSE(carryingPart1);
    EXPECT_TRUE(carryingPart2);
    game.placeCamera(eyeAbove, eyeAbove + glm::vec3(1.0f, 0.0f, 0.0f));
    game.click();
    ASSERT_FALSE(carryingPart1 || carryingPart2);
    moveTo(level1Part2Transform, {-1.6f, 7.3f, -2.0f});
    game.placeCamera(eyeAbove, between);
    game.click();
    EXPECT_TRUE(carryingPart1);
    EXPECT_FALSE(carryingPart2);
}

TEST_F(Rules, EachLevelIsSolvedByItsOwnPuzzle) {
    // Level 1: every piece on its own place, within 0.3 on x and z; the height does not matter.
    placePieces();
    level1Part1Transform[3].x += 0.29f;
    level1Part3Transform[3].y = 9.0f;
    game.frame();
    EXPECT_EQ(solvedLevel, 1);
    resetGameState();
    placePieces();
    level1Part1Transform[3].z -= 0.31f;
    game.frame();
    EXPECT_EQ(solvedLevel, -1);
    // A piece on another piece's place does not count.
    placePieces();
    moveTo(level1Part1Transform, positionOf(level1Place1Transform));
    moveTo(level1Part3Transform, positionOf(level1Place3Transform));
    game.frame();
    EXPECT_EQ(solvedLevel, -1);

    // Level 2: the board in its target arrangement; level 1's pieces no longer matter.
    currentLevel = 2;
    placePieces();
    std::copy_n(std::vector<int>{2, 1, 0, 5, 4, 3, -1, 7, 6}.begin(), 9, boardCells);
    game.frame();
    EXPECT_EQ(solvedLevel, 2);
}

TEST_F(Rules, ATakenKeyStaysTakenWhileThePuzzleStaysSolved) {
    placePieces();
    game.run(5.0f);
    ASSERT_EQ(solvedLevel, 1);
    clickAt({-2.2f, 8.0f, -2.3f}, key1Transform);
    ASSERT_TRUE(holdingKey);
    const glm::mat4 takenKey = key1Transform;
    const glm::mat4 openedLid = box1LidTransform;
    game.run(1.0f);
    EXPECT_EQ(solvedLevel, -1);
    // Opening the door clears keyTaken; the key must not come back in that frame either.
    clickAt({-3.5f, 8.0f, -1.0f}, doorTransform4);
    ASSERT_TRUE(openDoor4Request);
    game.run(30.0f);
    EXPECT_EQ(currentLevel, 2);
    EXPECT_EQ(key1Transform, takenKey);
    EXPECT_EQ(box1LidTransform, openedLid);

    // Level 2 likewise: the solved board does not restart its reward.
    std::copy_n(std::vector<int>{2, 1, 0, 5, 4, 3, -1, 7, 6}.begin(), 9, boardCells);
    game.run(5.0f);
    clickAt({-5.1f, 9.3f, -1.0f}, key2Transform1);
    ASSERT_TRUE(holdingKey);
    const glm::mat4 secondKey = key2Transform1;
    game.run(5.0f);
    EXPECT_EQ(solvedLevel, -1);
    EXPECT_EQ(key2Transform1, secondKey);
}

TEST_F(Rules, RewardsRiseToTheirThresholdsAndKeysThenSpin) {
    struct Reward {
        int level;
        const glm::mat4* lid;
        float lidTop;
        const glm::mat4* key;
        float keyTop;
    };
    const Reward rewards[] = {{1, &box1LidTransform, 8.0f, &key1Transform, 7.6f},
                              {2, &box2LidTransform, 9.1f, &key2Transform1, 8.8f},
                              {3, &box3LidTransform, 9.1f, &key2Transform2, 9.0f}};
    for (const Reward& reward : rewards) {
        solvedLevel = reward.level;
        currentLevel = reward.level;
        const float boardStart = boardTransform[3].y;
        const float lidStart = (*reward.lid)[3].y;
        game.run(10.0f);
        // Each stops within one frame's step above its threshold.
        EXPECT_GT((*reward.lid)[3].y, reward.lidTop);
        EXPECT_LT((*reward.lid)[3].y, reward.lidTop + 0.002f);
        EXPECT_GT((*reward.key)[3].y, reward.keyTop);
        EXPECT_LT((*reward.key)[3].y, reward.keyTop + 0.0013f);
        const glm::mat4 risen = *reward.key;
        game.frame();
        expectNear(positionOf(*reward.key), positionOf(risen), 0.0f);
        EXPECT_NE(glm::vec3((*reward.key)[0]), glm::vec3(risen[0]));
        if (reward.level == 2) {
            // The board and its tiles ride with the lid: 0.4 steps in 0.3 scale against 0.5 in
            // 0.22 scale.
            const float lidRise = (*reward.lid)[3].y - lidStart;
            EXPECT_NEAR(boardTransform[3].y - boardStart, lidRise * 12.0f / 11.0f, 1e-3f);
            for (const glm::mat4& tile : level2PartTransform) {
                EXPECT_FLOAT_EQ(tile[3].y, boardTransform[3].y);
            }
        }
    }
}

TEST_F(Rules, AnExitDoorOpensOnceAndMovesThePlayerOn) {
    holdingKey = true;
    keyTaken = true;
    clickAt({-3.5f, 8.0f, -1.0f}, doorTransform4);
    EXPECT_TRUE(openDoor4Request);
    EXPECT_FALSE(holdingKey);
    EXPECT_FALSE(keyTaken);
    EXPECT_EQ(currentLevel, 1);
    game.frame();
    EXPECT_EQ(currentLevel, 2);
    EXPECT_EQ(walkScript, 1);
    EXPECT_FALSE(openDoor4Request);
    // Turned by 90 radians (not degrees, not a quarter turn), then moved in the turned frame.
    const glm::mat4 opened = doorTransform4;
    expectNear(positionOf(opened), {-4.8866f, 7.68f, -0.7135f});
    expectNear(glm::vec3(opened[0]), {-0.0896f, 0.0f, -0.1788f});
    game.run(1.0f);
    EXPECT_EQ(doorTransform4, opened);
}

TEST_F(Rules, ASolvedBoardLowersItsTileOnceAndStaysClosed) {
    currentLevel = 2;
    // One slide from the target: tile 7 in cell 6, the gap in cell 7.
    std::copy_n(std::vector<int>{2, 1, 0, 5, 4, 3, 7, -1, 6}.begin(), 9, boardCells);
    boardCursor = 6;
    const auto tilesFlatOnTheBoard = [] {
        return std::all_of(std::begin(level2PartTransform), std::end(level2PartTransform),
                           [](const glm::mat4& tile) {
                               return std::fabs(tile[3].y - boardTransform[3].y) < 1e-4f;
                           });
    };
    for (const bool leaveInTheSameEvent : {false, true}) {
        SCOPED_TRACE(leaveInTheSameEvent ? "ENTER and END together" : "ENTER alone");
        const glm::mat4 tiles[2] = {level2PartTransform[0], level2PartTransform[7]};
        clickAt({-5.0f, 9.3f, -1.0f}, boardTransform);
        ASSERT_TRUE(boardMode);
        if (leaveInTheSameEvent) {
            game.pressTogether(key::enter, key::end);
            game.release(key::enter);
            game.release(key::end);
        } else {
            game.tap(key::enter);
        }
        game.frame();
        EXPECT_FALSE(boardMode);
        EXPECT_EQ(solvedLevel, 2);
        game.run(10.0f);
        EXPECT_TRUE(tilesFlatOnTheBoard());
        // Clicking the solved board does not take the keyboard again.
        clickAt({-5.4f, 9.6f, -1.0f}, boardTransform);
        EXPECT_FALSE(boardMode);

        // The second round starts from the same position.
        solvedLevel = -1;
        layoutScene();
        level2PartTransform[0] = tiles[0];
        level2PartTransform[7] = tiles[1];
        std::copy_n(std::vector<int>{2, 1, 0, 5, 4, 3, 7, -1, 6}.begin(), 9, boardCells);
        boardCursor = 6;
        boardMoveArmed = true;
    }
}

TEST_F(Rules, TheFleeingBoxRunsTwiceAndHoldsTheKeyOnTheThirdHit) {
    currentLevel = 3;
    // Door and key clicks do nothing while the box is still running.
    holdingKey = true;
    clickAt({-2.42f, 9.3f, -0.3f}, doorTransform1);
    EXPECT_FALSE(openDoor1Request);
    holdingKey = false;

    clickAt({-0.7f, 9.3f, -4.4f}, box1Transform);
    expectNear(positionOf(box1Transform), {-0.7f, 8.65f, -0.6f});
    expectNear(positionOf(box3LidTransform), {-0.7f, 8.655f, -0.6f});
    clickAt({-0.7f, 9.3f, -1.2f}, box1Transform);
    expectNear(positionOf(box1Transform), {-4.0f, 8.65f, -0.6f});
    EXPECT_EQ(boxChaseClicks, 2);
    EXPECT_EQ(solvedLevel, -1);
    clickAt({-3.4f, 9.3f, -0.6f}, box1Transform);
    EXPECT_TRUE(boxChaseDone);
    EXPECT_EQ(solvedLevel, 3);
    expectNear(positionOf(key2Transform2), {-4.0f, 8.65f, -0.6f});
    expectNear(positionOf(box1Transform), {-4.0f, 8.65f, -0.6f});
}

TEST_F(Rules, HiddenTopsOpenOnceEachAndOnlyTheTargetTurns) {
    currentLevel = 4;
    // Tops 7 and 8 both in one click: the later one is the target and turns.
    game.placeCamera({-2.54f, 9.3f, 2.85f}, {-2.54f, 8.53f, 2.0f});
    game.click();
    EXPECT_TRUE(openTop7Request);
    EXPECT_EQ(hiddenTarget, 8);
    const glm::mat4 closedTop7 = hiddenKeyBox7TopTransform;
    game.frame();
    EXPECT_TRUE(hiddenTopOpened[7]);
    EXPECT_FALSE(openTop8Request);
    EXPECT_EQ(hiddenKeyBox7TopTransform, closedTop7);
    // An opened top is no target: looking at it again changes nothing.
    const glm::mat4 openedTop8 = hiddenKeyBox8TopTransform;
    clickAt({-2.18f, 9.3f, 2.85f}, hiddenKeyBox8TopTransform);
    game.frame();
    EXPECT_EQ(hiddenKeyBox8TopTransform, openedTop8);
    // The pending top turns when a later click names it.
    clickAt({-2.9f, 9.3f, 2.85f}, hiddenKeyBox7TopTransform);
    EXPECT_EQ(hiddenTarget, 7);
    game.frame();
    EXPECT_TRUE(hiddenTopOpened[6]);
    EXPECT_NE(hiddenKeyBox7TopTransform, closedTop7);
}

TEST_F(Rules, KeysAAndBOpenDoorsSixAndNine) {
    CoutCapture out;
    currentLevel = 4;
    const glm::vec3 byKeyA(-3.1f, 9.3f, 2.95f);
    // Key A lies in box 1 and can be taken only once the box is open, and only once.
    clickAt(byKeyA, extraKeyATransform);
    EXPECT_FALSE(holdingKeyA);
    clickAt(byKeyA, hiddenKeyBox1TopTransform);
    game.frame();
    ASSERT_TRUE(keyABoxOpen);

    // Every click on door 6 wins; without key A the door stays shut.
    const glm::vec3 byDoor6(-0.6f, 10.2f, -0.07f);
    const glm::mat4 door6 = doorTransform6;
    clickAt(byDoor6, doorTransform6);
    clickAt(byDoor6, doorTransform6);
    game.frame();
    EXPECT_EQ(out.text(), "YOU WONYOU WON");
    EXPECT_EQ(GameDriver::blendingSwitches(), 2);
    EXPECT_EQ(doorTransform6, door6);
    // Door 6 stays the target, so taking key A opens it in the next frame.
    clickAt(byKeyA, extraKeyATransform);
    EXPECT_TRUE(holdingKeyA);
    EXPECT_EQ(hiddenTarget, 9);
    const glm::mat4 takenKeyA = extraKeyATransform;
    game.frame();
    EXPECT_FALSE(holdingKeyA);
    EXPECT_NE(doorTransform6, door6);
    clickAt(byKeyA + glm::vec3(0.0f, -1.4f, 0.0f), extraKeyATransform);
    EXPECT_FALSE(holdingKeyA);
    EXPECT_EQ(extraKeyATransform, takenKeyA);

    // Key B from box 6 opens door 9.
    clickAt({-2.0f, 9.3f, 2.0f}, hiddenKeyBox6TopTransform);
    game.frame();
    clickAt({-2.0f, 9.3f, 2.0f}, extraKeyBTransform);
    ASSERT_TRUE(holdingKeyB);
    const glm::mat4 door9 = doorTransform9;
    clickAt({-0.6f, 9.3f, -0.07f}, doorTransform9);
    EXPECT_EQ(hiddenTarget, 10);
    game.frame();
    EXPECT_FALSE(holdingKeyB);
    EXPECT_NE(doorTransform9, door9);
}

TEST_F(Rules, TheCompanionWalksItsLegsInOrder) {
    // A frame of no time moves nothing and leaves the swing where it is.
    walkScript = 1;
    const glm::mat4 body = playerBodyTransform;
    updateGame(0.0f);
    EXPECT_EQ(playerBodyTransform, body);
    EXPECT_EQ(limbSwingTimer, 0.0f);

    // The direction of each frame's step, each new one recorded once.
    std::vector<glm::ivec3> legs;
    int swingFlips = 0;
    bool forward = limbSwingForward;
    for (int frame = 0; frame < 60 * 40 && walkScript == 1; ++frame) {
        const glm::vec3 before = positionOf(playerBodyTransform);
        game.frame();
        const glm::vec3 step = positionOf(playerBodyTransform) - before;
        const glm::ivec3 direction(glm::sign(step) *
                                   glm::vec3(glm::greaterThan(glm::abs(step), glm::vec3(1e-6f))));
        if (direction != glm::ivec3(0) && (legs.empty() || legs.back() != direction)) {
            legs.push_back(direction);
        }
        swingFlips += limbSwingForward != forward ? 1 : 0;
        forward = limbSwingForward;
    }
    const std::vector<glm::ivec3> expected = {{1, 0, 0},  {0, 0, 1}, {-1, 0, 0}, {0, 0, -1},
                                              {-1, 1, 0}, {0, 1, 1}, {1, 1, 0}};
    EXPECT_EQ(legs, expected);
    EXPECT_EQ(walkScript, -1);
    EXPECT_TRUE(walkLegA && walkLegB && walkLegC && walkLegD && walkLegE && walkLegF && walkLegG);
    expectNear(positionOf(playerBodyTransform), {-5.5f, 8.875f, -0.393f}, 0.01f);
    // About a second per half swing, over the 28-second walk.
    EXPECT_NEAR(swingFlips, 27, 1);
    // The limbs hang from the body where the walk ended.
    expectNear(positionOf(footTransform2),
               positionOf(playerBodyTransform) + glm::vec3(0.0f, -0.05f, -0.1f));

    // The second walk goes east through door 3; a third script starts nothing.
    walkScript = 2;
    game.run(20.0f);
    EXPECT_EQ(walkScript, -1);
    expectNear(positionOf(playerBodyTransform), {-0.29f, 8.875f, -1.0f}, 0.01f);
    walkScript = 3;
    const glm::mat4 resting = playerBodyTransform;
    game.run(1.0f);
    EXPECT_EQ(playerBodyTransform, resting);
}
