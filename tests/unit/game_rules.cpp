// The game rules, driven as the frame loop and a player drive them: the layout's conventions, the
// gaze test, carrying pieces, level completion, rewards, doors, the sliding-tile board and its
// keys, the fleeing box, the statues, the hidden boxes and the companion's walk.

#include <algorithm>
#include <string>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "game/Click.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "game/Statues.h"
#include "support/GameDriver.h"

namespace {

constexpr float cone20_5 = 0.3577925f;
constexpr std::array<int, 9> solvedBoard = {2, 1, 0, 5, 4, 3, -1, 7, 6};

void moveTo(glm::mat4& model, const glm::vec3& position) {
    model[3] = glm::vec4(position, 1.0f);
}

// The horizontal direction the given number of degrees clockwise from -z.
glm::vec3 yawed(float degrees) {
    return {std::sin(glm::radians(degrees)), 0.0f, -std::cos(glm::radians(degrees))};
}

void setBoard(const std::array<int, 9>& cells) {
    std::copy(cells.begin(), cells.end(), boardCells);
}

// A solved level's key, risen already: the reward only spins it, so it stays where a click aims.
// The box chase counts as over, which only level 3 asks.
void risenKey(int level, glm::mat4& key, float height) {
    boxChaseDone = true;
    solvedLevel = level;
    key[3].y = height;
}

void placePieces() {
    moveTo(level1Part1Transform, positionOf(level1Place3Transform));
    moveTo(level1Part2Transform, positionOf(level1Place2Transform));
    moveTo(level1Part3Transform, positionOf(level1Place1Transform));
}

class Rules : public ::testing::Test {
protected:
    // Looks at a point or an object from the given eye and clicks.
    void clickAt(const glm::vec3& eye, const glm::vec3& target) {
        game.placeCamera(eye, target);
        game.click();
    }
    void clickAt(const glm::vec3& eye, const glm::mat4& target) {
        clickAt(eye, positionOf(target));
    }

    GameDriver game;
};

// On the board, from the spot beside it.
class Board : public Rules {
protected:
    void SetUp() override {
        currentLevel = 2;
        enterBoard();
    }

    void enterBoard() {
        clickAt({-5.0f, 9.3f, -1.0f}, boardTransform);
        ASSERT_TRUE(boardMode);
    }

    // Exactly the tile under the cursor is lifted, by 0.3 tile-model units in the 0.3 scale.
    static void expectOnlySelectedLifted() {
        for (int cell = 0; cell < 9; ++cell) {
            const int tile = boardCells[cell];
            if (tile >= 0) {
                EXPECT_NEAR(level2PartTransform[tile][3].y, cell == boardCursor ? 8.89f : 8.8f,
                            1e-4f)
                    << "tile " << tile << " in cell " << cell;
            }
        }
    }
};

// In the statues' room.
class Statues : public Rules {
protected:
    void SetUp() override { currentLevel = 3; }

    // The camera looking the given number of degrees clockwise from -z, with the light 0.2 below
    // it as the light follow puts it.
    static void stand(const glm::vec3& eye, float degrees) {
        playerCamera->position = eye;
        playerCamera->front = yawed(degrees);
        spotLight->position = eye - glm::vec3(0.0f, 0.2f, 0.0f);
    }

    // Whether each statue moves in one step of 0.1 seconds.
    static std::pair<bool, bool> step() {
        const glm::vec3 s1 = positionOf(statue1Transform);
        const glm::vec3 s2 = positionOf(statue2Transform);
        moveStatues(0.1f);
        return {positionOf(statue1Transform) != s1, positionOf(statue2Transform) != s2};
    }
};

}  // namespace

TEST(Layout, ChainedTurnedAndScaledPlacementsLandWhereTheHouseNeedsThem) {
    layoutScene();
    // The end of the door chain, turned by 67.5 and then 0.05 radians in the 0.2-scaled frame.
    expectNear(positionOf(doorTransform7), {-1.5341f, 6.48f, -5.538f});
    expectNear(glm::vec3(doorTransform7[0]), {0.0012f, 0.0f, 0.2f}, 1e-3f);
    // The first arm is the body turned half round, hanging at the body.
    expectNear(glm::vec3(armTransform1[0]), {-0.2f, 0.0f, 0.0f});
    expectNear(positionOf(armTransform1), positionOf(playerBodyTransform));
    // Scaled before it is moved, so it lands on the house's origin.
    expectNear(positionOf(labyrinthTransform), positionOf(houseTransform));
    expectNear(glm::vec3(labyrinthTransform[0]), {0.2f, 0.0f, 0.0f});
    // Boxes placed in a half- and a three-quarter-turned frame: the offsets are turned with it.
    expectNear(positionOf(hiddenKeyBox4TopTransform), {-1.15f, 8.53f, 2.95f});
    expectNear(positionOf(hiddenKeyBox8Transform), {-2.18f, 8.53f, 2.0f});
}

// Every row of the click table: a click from just inside the cone and the reach acts; one from just
// outside the cone, or just beyond the reach, does not. Each click is a left press through the
// frame loop's callbacks, from a fresh game set up for that target.
TEST(ClickTable, EveryTargetActsOnlyInsideItsConeAndReach) {
    struct Row {
        int level;
        glm::mat4* target;
        float degrees;
        float reach;
        // Puts the game in the state in which a click on the target acts.
        void (*prepare)();
        // What the click did.
        bool (*acted)();
    };
    const Row rows[] = {
        {1, &level1Part2Transform, 20.5f, 1.0f, [] {}, [] { return carryingPart2; }},
        {1, &key1Transform, 10.5f, 2.0f, [] { risenKey(1, key1Transform, 7.7f); },
         [] { return holdingKey; }},
        {1, &doorTransform4, 20.5f, 2.0f, [] { holdingKey = keyTaken = true; },
         [] { return openDoor4Request; }},
        {2, &boardTransform, 20.0f, 1.0f, [] {}, [] { return boardMode; }},
        {2, &key2Transform1, 15.5f, 1.0f, [] { risenKey(2, key2Transform1, 8.9f); },
         [] { return holdingKey; }},
        {2, &doorTransform3, 30.5f, 1.0f, [] { holdingKey = keyTaken = true; },
         [] { return openDoor3Request; }},
        {3, &box1Transform, 25.5f, 1.0f, [] {}, [] { return boxChaseClicks == 1; }},
        {3, &key2Transform2, 20.5f, 1.0f, [] { risenKey(3, key2Transform2, 9.1f); },
         [] { return holdingKey; }},
        {3, &doorTransform1, 30.5f, 1.0f, [] { boxChaseDone = holdingKey = true; },
         [] { return openDoor1Request; }},
        {4, &hiddenKeyBox2TopTransform, 30.5f, 1.5f, [] {}, [] { return openTop2Request; }},
        {4, &extraKeyATransform, 15.5f, 1.0f, [] { keyABoxOpen = true; },
         [] { return holdingKeyA; }},
        {4, &extraKeyBTransform, 15.5f, 1.0f, [] { keyBBoxOpen = true; },
         [] { return holdingKeyB; }},
        {4, &doorTransform6, 30.5f, 1.0f, [] {}, [] { return hiddenTarget == 9; }},
        {4, &doorTransform9, 30.5f, 1.0f, [] {}, [] { return hiddenTarget == 10; }},
    };
    CoutCapture out;
    const struct {
        float degrees;
        float distance;
        bool acts;
    } edges[] = {{-0.15f, -0.004f, true}, {0.15f, -0.004f, false}, {-0.15f, 0.004f, false}};
    for (const Row& row : rows) {
        for (const auto& edge : edges) {
            SCOPED_TRACE(testing::Message() << "row " << &row - rows << ", edge " << &edge - edges);
            GameDriver game;
            currentLevel = row.level;
            row.prepare();
            // Looking along -z; the target lies off the view by the angle, to the side.
            const float angle = glm::radians(row.degrees + edge.degrees);
            const glm::vec3 target = positionOf(*row.target);
            const glm::vec3 eye = target + (row.reach + edge.distance) *
                                               glm::vec3(std::sin(angle), 0.0f, std::cos(angle));
            game.placeCamera(eye, eye + glm::vec3(0.0f, 0.0f, -1.0f));
            game.click();
            EXPECT_EQ(row.acted(), edge.acts);
        }
    }
}

// The view direction the camera keeps is not normalised (looking 45 degrees down here), and a
// camera exactly on the target points at nothing.
TEST_F(Rules, GazeTestNormalisesTheViewAndNeedsADistance) {
    const glm::vec3 eye(0.0f, 8.0f, 0.0f);
    playerCamera->position = eye;
    playerCamera->front = glm::vec3(0.0f, -1.0f, -1.0f);
    EXPECT_TRUE(gazeTest(eye + glm::vec3(0.0f, -0.5f, -0.5f), 0.01f, 1.0f));
    EXPECT_FALSE(gazeTest(eye, cone20_5, 1.0f));
}

TEST_F(Rules, LevelOneClicksCarryDropAndSwapPieces) {
    const glm::vec3 eye(-2.2f, 8.0f, -1.4f);
    clickAt(eye, level1Part2Transform);
    ASSERT_TRUE(carryingPart2);
    // The piece floats one unit along the view, shifted 0.03 on x and z; a click at nothing
    // drops it there.
    game.placeCamera(eye, eye + glm::vec3(-1.0f, 0.0f, 0.0f));
    game.frame();
    clickAt(eye, eye + glm::vec3(-1.0f, 0.0f, 0.0f));
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
    clickAt(eyeAbove, between);
    EXPECT_FALSE(carryingPart1);
    EXPECT_TRUE(carryingPart2);
    clickAt(eyeAbove, eyeAbove + glm::vec3(1.0f, 0.0f, 0.0f));
    ASSERT_FALSE(carryingPart1 || carryingPart2);
    moveTo(level1Part2Transform, {-1.6f, 7.3f, -2.0f});
    clickAt(eyeAbove, between);
    EXPECT_TRUE(carryingPart1);
    EXPECT_FALSE(carryingPart2);
}

// Level 2, solved by its board, is in the rewards' table below.
TEST_F(Rules, LevelOneIsSolvedByEveryPieceOnItsOwnPlace) {
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
}

// Each key taken in the first frame it can be, deep inside its box: the lid stops within one
// frame's step above its threshold (the board and its tiles ride with the second lid), and the key
// stays where it went. It cannot be taken a second time, not even in the poll that opens the door.
TEST(Rewards, AKeyTakenEarlyStaysTakenWhileTheRestOfTheRewardRisesOn) {
    const struct {
        int level;
        glm::mat4* key;
        const glm::mat4* lid;
        float lidTop;
        glm::vec3 byKey;
        glm::vec3 byDoor;
    } rows[] = {
        {1, &key1Transform, &box1LidTransform, 8.0f, {-2.2f, 8.0f, -2.3f}, {-3.5f, 8.0f, -1.0f}},
        {2, &key2Transform1, &box2LidTransform, 9.1f, {-5.1f, 9.3f, -1.0f}, {-5.1f, 9.3f, -1.0f}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.level);
        GameDriver game;
        currentLevel = row.level;
        placePieces();
        setBoard(solvedBoard);
        game.frame();
        ASSERT_EQ(solvedLevel, row.level);
        const auto clickAt = [&game](const glm::vec3& eye, const glm::mat4& target) {
            game.placeCamera(eye, positionOf(target));
            game.click();
        };
        clickAt(row.byKey, *row.key);
        ASSERT_TRUE(holdingKey);
        const glm::mat4 taken = *row.key;
        game.run(10.0f);
        EXPECT_GT((*row.lid)[3].y, row.lidTop);
        EXPECT_LT((*row.lid)[3].y, row.lidTop + 0.01f);
        EXPECT_EQ(*row.key, taken);
        EXPECT_NEAR(level2PartTransform[0][3].y, boardTransform[3].y, 1e-4f);
        holdingKey = false;
        clickAt(row.byKey, *row.key);
        EXPECT_FALSE(holdingKey);
        holdingKey = true;
        clickAt(row.byDoor, row.level == 1 ? doorTransform4 : doorTransform3);
        game.run(1.0f);
        ASSERT_EQ(currentLevel, row.level + 1);
        EXPECT_EQ(*row.key, taken);
    }
}

TEST_F(Rules, RewardsRiseToTheirThresholdsAndKeysThenSpin) {
    const struct {
        int level;
        const glm::mat4* lid;
        float lidTop;
        const glm::mat4* key;
        float keyTop;
    } rewards[] = {{1, &box1LidTransform, 8.0f, &key1Transform, 7.6f},
                   {2, &box2LidTransform, 9.1f, &key2Transform1, 8.8f},
                   {3, &box3LidTransform, 9.1f, &key2Transform2, 9.0f}};
    for (const auto& reward : rewards) {
        solvedLevel = currentLevel = reward.level;
        const float boardStart = boardTransform[3].y;
        game.run(10.0f);
        // Each stops within one frame's step above its threshold.
        EXPECT_GT((*reward.lid)[3].y, reward.lidTop);
        EXPECT_LT((*reward.lid)[3].y, reward.lidTop + 0.002f);
        EXPECT_GT((*reward.key)[3].y, reward.keyTop);
        EXPECT_LT((*reward.key)[3].y, reward.keyTop + 0.0013f);
        const glm::mat4 risen = *reward.key;
        game.frame();
        EXPECT_EQ(positionOf(*reward.key), positionOf(risen));
        EXPECT_NE(glm::vec3((*reward.key)[0]), glm::vec3(risen[0]));
        // The board and its tiles ride up with the second lid.
        EXPECT_EQ(boardTransform[3].y > boardStart, reward.level == 2);
        for (const glm::mat4& tile : level2PartTransform) {
            EXPECT_FLOAT_EQ(tile[3].y, boardTransform[3].y);
        }
    }
}

TEST_F(Rules, AnExitDoorOpensOnceAndMovesThePlayerOn) {
    holdingKey = keyTaken = true;
    clickAt({-3.5f, 8.0f, -1.0f}, doorTransform4);
    EXPECT_FALSE(holdingKey || keyTaken);
    EXPECT_EQ(currentLevel, 1);
    game.frame();
    EXPECT_EQ(currentLevel, 2);
    EXPECT_EQ(walkScript, 1);
    // Turned by 90 radians (not degrees, not a quarter turn), then moved in the turned frame.
    const glm::mat4 opened = doorTransform4;
    expectNear(positionOf(opened), {-4.8866f, 7.68f, -0.7135f});
    expectNear(glm::vec3(opened[0]), {-0.0896f, 0.0f, -0.1788f});
    game.run(1.0f);
    EXPECT_EQ(doorTransform4, opened);
}

TEST_F(Rules, ASolvedBoardLowersItsTileOnceAndRefusesClicks) {
    for (const bool leaveInTheSameEvent : {false, true}) {
        SCOPED_TRACE(leaveInTheSameEvent ? "ENTER and END together" : "ENTER alone");
        // One slide from the target: tile 7 in cell 6 (selected), the gap in cell 7.
        resetGameState();
        layoutScene();
        currentLevel = 2;
        setBoard({2, 1, 0, 5, 4, 3, 7, -1, 6});
        boardCursor = 6;
        clickAt({-5.0f, 9.3f, -1.0f}, boardTransform);
        ASSERT_TRUE(boardMode);
        leaveInTheSameEvent ? game.pressTogether(key::enter, key::end) : game.press(key::enter);
        game.frame();
        EXPECT_FALSE(boardMode);
        EXPECT_EQ(solvedLevel, 2);
        game.run(10.0f);
        for (const glm::mat4& tile : level2PartTransform) {
            EXPECT_NEAR(tile[3].y, boardTransform[3].y, 1e-4f);
        }
        // Clicking the solved board does not take the keyboard again.
        clickAt({-5.4f, 9.6f, -1.0f}, boardTransform);
        EXPECT_FALSE(boardMode);
        game.release(key::enter);
        game.release(key::end);
    }
}

TEST_F(Rules, TheFleeingBoxRunsTwiceAndHoldsTheKeyOnTheThirdHit) {
    currentLevel = 3;
    // Door clicks do nothing while the box is still running.
    holdingKey = true;
    clickAt({-2.42f, 9.3f, -0.3f}, doorTransform1);
    EXPECT_FALSE(openDoor1Request);
    holdingKey = false;

    // The box and its lid flee north, then west; the third hit puts the key in the box.
    clickAt({-0.7f, 9.3f, -4.4f}, box1Transform);
    expectNear(positionOf(box3LidTransform), {-0.7f, 8.655f, -0.6f});
    clickAt({-0.7f, 9.3f, -1.2f}, box1Transform);
    EXPECT_EQ(solvedLevel, -1);
    clickAt({-3.4f, 9.3f, -0.6f}, box1Transform);
    EXPECT_EQ(solvedLevel, 3);
    expectNear(positionOf(box1Transform), {-4.0f, 8.65f, -0.6f});
    expectNear(positionOf(key2Transform2), {-4.0f, 8.65f, -0.6f});
}

TEST_F(Rules, HiddenTopsOpenOnceEachAndOnlyTheTargetTurns) {
    currentLevel = 4;
    // Tops 7 and 8 both in one click: the later one is the target and turns.
    clickAt({-2.54f, 9.3f, 2.85f}, {-2.54f, 8.53f, 2.0f});
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

TEST_F(Rules, KeysAAndBAreTakenOnceFromTheirOpenBoxesAndOpenDoorsSixAndNine) {
    CoutCapture out;
    currentLevel = 4;
    // Every click on door 6 wins; without key A the door stays shut.
    const glm::vec3 byDoor6(-0.6f, 10.2f, -0.07f);
    const glm::mat4 door6 = doorTransform6;
    clickAt(byDoor6, doorTransform6);
    clickAt(byDoor6, doorTransform6);
    game.frame();
    EXPECT_EQ(out.text(), "YOU WONYOU WON");
    EXPECT_EQ(GameDriver::blendingSwitches(), 2);
    EXPECT_EQ(doorTransform6, door6);

    for (const bool a : {true, false}) {
        SCOPED_TRACE(a ? "key A" : "key B");
        glm::mat4& key = a ? extraKeyATransform : extraKeyBTransform;
        glm::mat4& door = a ? doorTransform6 : doorTransform9;
        const bool& holding = a ? holdingKeyA : holdingKeyB;
        const glm::vec3 byKey = a ? glm::vec3(-3.1f, 9.3f, 2.95f) : glm::vec3(-2.0f, 9.3f, 2.0f);
        // The key can be taken only once its box is open.
        clickAt(byKey, key);
        EXPECT_FALSE(holding);
        clickAt(byKey, a ? hiddenKeyBox1TopTransform : hiddenKeyBox6TopTransform);
        game.frame();
        clickAt(byKey, key);
        EXPECT_TRUE(holding);
        const glm::mat4 closedDoor = door;
        clickAt(a ? byDoor6 : glm::vec3(-0.6f, 9.3f, -0.07f), door);
        game.frame();
        EXPECT_FALSE(holding);
        EXPECT_NE(door, closedDoor);
        // The taken key, 1.4 below where it lay, cannot be taken again.
        const glm::mat4 takenKey = key;
        clickAt(byKey + glm::vec3(0.0f, -1.4f, 0.0f), key);
        EXPECT_FALSE(holding);
        EXPECT_EQ(key, takenKey);
    }
}

TEST_F(Rules, TheCompanionWalksItsLegsInOrder) {
    // The direction of each frame's step, each new one recorded once.
    walkScript = 1;
    std::vector<glm::ivec3> legs;
    for (int frame = 0; frame < 60 * 40 && walkScript == 1; ++frame) {
        const glm::vec3 before = positionOf(playerBodyTransform);
        game.frame();
        const glm::vec3 step = positionOf(playerBodyTransform) - before;
        const glm::ivec3 direction(glm::sign(step) *
                                   glm::vec3(glm::greaterThan(glm::abs(step), glm::vec3(1e-6f))));
        if (direction != glm::ivec3(0) && (legs.empty() || legs.back() != direction)) {
            legs.push_back(direction);
        }
    }
    const std::vector<glm::ivec3> expected = {{1, 0, 0},  {0, 0, 1}, {-1, 0, 0}, {0, 0, -1},
                                              {-1, 1, 0}, {0, 1, 1}, {1, 1, 0}};
    EXPECT_EQ(legs, expected);
    EXPECT_EQ(walkScript, -1);
    // The latches are armed again for the next walk.
    EXPECT_TRUE(walkLegA && walkLegB && walkLegC && walkLegD && walkLegE && walkLegF && walkLegG);
    expectNear(positionOf(playerBodyTransform), {-5.5f, 8.875f, -0.393f}, 0.01f);
    // The limbs hang from the body where the walk ended.
    expectNear(positionOf(footTransform2),
               positionOf(playerBodyTransform) + glm::vec3(0.0f, -0.05f, -0.1f));

    // A third script starts nothing.
    walkScript = 3;
    const glm::mat4 resting = playerBodyTransform;
    game.run(1.0f);
    EXPECT_EQ(playerBodyTransform, resting);
}

// Door 3 opened while the companion is still on its first walk: it finishes that walk, then
// walks the second, and ends where it ends when door 3 opens after the first walk.
TEST(Companion, EndsInThePlaceOfItsSecondWalkWhenDoorThreeOpensEarlyOrLate) {
    glm::vec3 ends[2];
    for (const bool early : {true, false}) {
        SCOPED_TRACE(early ? "door 3 during the first walk" : "door 3 after it");
        GameDriver game;
        holdingKey = keyTaken = true;
        game.placeCamera({-3.5f, 8.0f, -1.0f}, positionOf(doorTransform4));
        game.click();
        game.frame();
        ASSERT_EQ(walkScript, 1);
        for (int guard = 0; guard < 60 * 60 && (early ? guard < 60 * 5 : walkScript == 1);
             ++guard) {
            game.frame();
        }
        ASSERT_EQ(walkScript, early ? 1 : -1);
        holdingKey = true;
        game.placeCamera({-5.1f, 9.3f, -1.0f}, positionOf(doorTransform3));
        game.click();
        game.run(60.0f);
        ASSERT_EQ(currentLevel, 3);
        EXPECT_EQ(walkScript, -1);
        ends[early ? 0 : 1] = positionOf(playerBodyTransform);
    }
    expectNear(ends[0], ends[1], 0.05f);
    expectNear(ends[1], {-0.29f, 8.875f, -1.0f}, 0.05f);
}

TEST_F(Board, CursorKeysWrapAndStepOverTheEmptyCellAndEndLeavesTheSelectionKept) {
    // From cell 4 with cell 6 empty. W and S change the row, D and A the column (D leftwards).
    const struct {
        int keyCode;
        int cursor;
    } steps[] = {{key::w, 1}, {key::w, 7}, {key::a, 8}, {key::a, 7}, {key::d, 8}, {key::d, 7},
                 {key::s, 1}, {key::s, 4}, {key::d, 5}, {key::a, 4}, {key::a, 3}, {key::s, 2}};
    for (const auto& step : steps) {
        game.tap(step.keyCode);
        EXPECT_EQ(boardCursor, step.cursor) << "key " << step.keyCode;
    }
    expectOnlySelectedLifted();
    // END leaves the board with the tile lowered; clicking the board again lifts the same tile.
    game.tap(key::end);
    EXPECT_FALSE(boardMode);
    EXPECT_EQ(boardCursor, 2);
    EXPECT_NEAR(level2PartTransform[2][3].y, 8.8f, 1e-4f);
    enterBoard();
    expectOnlySelectedLifted();
}

TEST_F(Board, EnterSlidesIntoTheGapOnceUntilACursorKeyRearmsIt) {
    // Nothing next to cell 4 is empty: no slide, but disarmed.
    game.tap(key::enter);
    EXPECT_EQ(boardCells[4], 4);
    EXPECT_FALSE(boardMoveArmed);
    game.tap(key::s);
    ASSERT_EQ(boardCursor, 7);
    const float zBefore = level2PartTransform[7][3].z;
    game.tap(key::enter);
    EXPECT_EQ(boardCells[6], 7);
    EXPECT_EQ(boardCells[7], -1);
    EXPECT_EQ(boardCursor, 6);
    // One column is a quarter of a tile-model unit along +z.
    EXPECT_NEAR(level2PartTransform[7][3].z - zBefore, 0.075f, 1e-5f);
    expectOnlySelectedLifted();
    // Pressing ENTER again does nothing until a cursor key is pressed.
    game.tap(key::enter);
    EXPECT_EQ(boardCells[6], 7);
    game.tap(key::d);
    game.tap(key::a);
    game.tap(key::enter);
    EXPECT_EQ(boardCells[7], 7);
}

TEST_F(Statues, UnseenStatuesGetFasterWithEveryHitOnTheBox) {
    // Far ahead of both statues, looking away from them, at their height.
    stand({20.0f, 8.5f, -3.0f}, 90.0f);
    for (int hits = 0; hits <= 3; ++hits) {
        boxChaseClicks = hits;
        const glm::vec3 start = positionOf(statue1Transform);
        game.run(1.0f);
        // (hits + 1) / 3.5 model units per second, in the statue's 0.7 scale.
        EXPECT_NEAR(glm::length(positionOf(statue1Transform) - start), 0.2f * (hits + 1), 1e-3f);
    }
    EXPECT_FLOAT_EQ(positionOf(statue1Transform).y, 8.5f);
    // High above the statue, the step normalised in three dimensions shrinks on the ground.
    boxChaseClicks = 0;
    const glm::vec3 s1 = positionOf(statue1Transform);
    stand(s1 + glm::vec3(3.0f, 3.0f, 0.0f), 90.0f);
    moveStatues(0.5f);
    EXPECT_NEAR(glm::distance(positionOf(statue1Transform), s1), 0.1f / std::sqrt(2.0f), 1e-5f);
}

TEST_F(Statues, AStatueInsideTheViewConeStandsStill) {
    // Statue 1 straight ahead, statue 2 45 degrees off to the left: only statue 2 moves.
    stand({-2.0f, 8.5f, -1.0f}, 0.0f);
    EXPECT_EQ(step(), std::make_pair(false, true));
    // The cone's half-angle is 40.5 degrees.
    stand({-2.0f, 8.5f, -1.0f}, 40.0f);
    EXPECT_FALSE(step().first);
    stand({-2.0f, 8.5f, -1.0f}, 41.0f);
    EXPECT_TRUE(step().first);
    // Statue 2 is judged from the light: looked at straight, but the light is far off to the
    // side. It walks towards the camera, not the light.
    layoutScene();
    const glm::vec3 s2 = positionOf(statue2Transform);
    stand({-4.0f, 8.5f, -1.0f}, 0.0f);
    spotLight->position = glm::vec3(6.0f, 8.5f, -3.0f);
    EXPECT_TRUE(step().second);
    EXPECT_NEAR(positionOf(statue2Transform).x, s2.x, 1e-6f);
    EXPECT_GT(positionOf(statue2Transform).z, s2.z);
}

TEST_F(Statues, AStatueNeverStepsNextToTheOther) {
    stand({-2.0f, 8.5f, 3.0f}, 180.0f);
    // Statue 2 just north of statue 1's path, 0.2 to the side: statue 1 keeps its place.
    moveTo(statue2Transform, positionOf(statue1Transform) + glm::vec3(0.2f, 0.0f, 0.1f));
    EXPECT_FALSE(step().first);
    // Exactly level on x is not "next to": both distances must be above zero.
    moveTo(statue2Transform, positionOf(statue1Transform) + glm::vec3(0.0f, 0.0f, 0.1f));
    EXPECT_TRUE(step().first);
}

TEST_F(Statues, AStatueWithinAQuarterUnitCatchesThePlayerOnce) {
    CoutCapture out;
    const glm::vec3 s1 = positionOf(statue1Transform);
    // Exactly on the statue's x line, or a little beyond a quarter unit from it, does not count.
    for (const float dx : {0.0f, 0.26f}) {
        stand(s1 + glm::vec3(dx, 0.5f, 0.2f), 0.0f);
        game.frame();
    }
    EXPECT_FALSE(gameOver);
    // Both statues at once report both catches in the same frame.
    stand(s1 + glm::vec3(0.2f, 0.5f, 0.2f), 0.0f);
    moveTo(statue2Transform, s1 + glm::vec3(0.1f, 0.0f, 0.1f));
    game.frame();
    EXPECT_TRUE(gameOver);
    game.run(1.0f);
    EXPECT_EQ(out.text(), "GAMEOVER1 \nGAMEOVER2 \n");
}

TEST_F(Rules, AKeyTakenOnceCannotBeTakenAgainBeforeItsDoorOpens) {
    // The door click clears keyTaken while the puzzle stays solved, and the door opens only in
    // the next frame: a click of the same poll aimed at where the taken key went must not hand it
    // over again.
    const struct {
        int level;
        glm::mat4* key;
        glm::vec3 keyEye;
        glm::mat4* door;
        glm::vec3 doorEye;
    } levels[] = {
        {1, &key1Transform, {-2.2f, 8.0f, -2.3f}, &doorTransform4, {-3.5f, 8.0f, -1.0f}},
        {2, &key2Transform1, {-5.1f, 9.3f, -1.0f}, &doorTransform3, {-5.1f, 9.3f, -1.0f}},
    };
    for (const auto& row : levels) {
        SCOPED_TRACE("level " + std::to_string(row.level));
        currentLevel = row.level;
        placePieces();
        setBoard(solvedBoard);
        game.frame();
        ASSERT_EQ(solvedLevel, row.level);
        clickAt(row.keyEye, *row.key);
        ASSERT_TRUE(holdingKey);
        game.frame();
        ASSERT_EQ(solvedLevel, row.level);
        const glm::mat4 taken = *row.key;
        game.placeCamera(row.doorEye, positionOf(*row.door));
        handleClick(nullptr, 0, 1, 0);
        ASSERT_FALSE(keyTaken);
        game.placeCamera(positionOf(taken) + glm::vec3(0.5f, 0.0f, 0.0f), positionOf(taken));
        handleClick(nullptr, 0, 1, 0);
        EXPECT_FALSE(holdingKey);
        EXPECT_EQ(*row.key, taken);
        game.frame();
        ASSERT_EQ(currentLevel, row.level + 1);
    }
}
