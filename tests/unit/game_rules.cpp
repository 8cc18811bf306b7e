// The game rules, driven as the frame loop and a player drive them: the gaze test, carrying
// pieces, level completion, rewards, doors, the sliding-tile board and its keys, the statues, the
// hidden boxes and the companion's second walk. The scripted player plays the game through
// (game_playthrough.cpp, and to the win in playthrough_pictures.cpp); these are the cases a
// straight play misses.

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

// The view direction the camera keeps is not normalised (twice as long here): a target 30 degrees
// off lies outside a 20.5-degree cone, one straight ahead inside a narrow one.
TEST_F(Rules, GazeTestNormalisesTheView) {
    playerCamera->position = glm::vec3(0.0f, 8.0f, 0.0f);
    playerCamera->front = glm::vec3(0.0f, 0.0f, -2.0f);
    EXPECT_FALSE(gazeTest(glm::vec3(0.0f, 8.0f, 0.0f) + 0.5f * yawed(30.0f), cone20_5, 1.0f));
    EXPECT_TRUE(gazeTest(glm::vec3(0.0f, 8.0f, -0.5f), 0.01f, 1.0f));
}

TEST_F(Rules, LevelOneClicksSwapPiecesAndTakeTheOneNearerTheAxis) {
    // Carrying piece 1 and clicking piece 3 swaps them.
    clickAt({-3.7f, 8.0f, -3.4f}, level1Part1Transform);
    ASSERT_TRUE(carryingPart1);
    clickAt({-0.9f, 8.0f, -3.5f}, level1Part3Transform);
    EXPECT_FALSE(carryingPart1);
    EXPECT_TRUE(carryingPart3);
    game.click();

    // Two pieces in view: the one nearer the world's vertical axis is taken; on a tie, the first.
    const glm::vec3 eyeAbove(-1.35f, 8.0f, -1.35f);
    for (const float z2 : {-1.95f, -2.0f}) {
        resetGameState();
        moveTo(level1Part1Transform, {-2.0f, 7.3f, -1.6f});
        moveTo(level1Part2Transform, {z2 + 0.4f, 7.3f, z2});
        clickAt(eyeAbove, {-1.8f, 7.3f, -1.8f});
        EXPECT_EQ(carryingPart2, z2 > -2.0f) << z2;
    }
}

// Level 2, solved by its board, is in the rewards test below.
TEST_F(Rules, LevelOneIsSolvedByEveryPieceOnItsOwnPlace) {
    // Within 0.3 on x and z, at any height; a piece on another piece's place does not count.
    const struct {
        glm::vec3 shift;
        bool swapped, solved;
    } rows[] = {{{0.29f, 1.0f, 0.0f}, false, true},
                {{0.0f, 0.0f, -0.31f}, false, false},
                {{}, true, false}};
    for (const auto& row : rows) {
        resetGameState();
        placePieces();
        level1Part1Transform[3] += glm::vec4(row.shift, 0.0f);
        if (row.swapped) {
            std::swap(level1Part1Transform[3], level1Part3Transform[3]);
        }
        game.frame();
        EXPECT_EQ(solvedLevel, row.solved ? 1 : -1) << &row - rows;
    }
}

// Each key taken in the first frame it can be, deep inside its box: the lid stops within one
// frame's step above its threshold (the board and its tiles ride with the second lid), and the key
// stays where it went. The door click clears keyTaken while the puzzle stays solved, and the door
// opens only in the next frame: a click of the same poll aimed at the taken key must not hand it
// over again.
TEST(Rewards, AKeyTakenEarlyStaysTakenWhileTheRestOfTheRewardRisesOn) {
    const struct {
        int level;
        glm::mat4* key;
        const glm::mat4* lid;
        float lidTop;
        glm::vec3 byKey;
        const glm::mat4* door;
        glm::vec3 byDoor;
    } rows[] = {{1,
                 &key1Transform,
                 &box1LidTransform,
                 8.0f,
                 {-2.2f, 8.0f, -2.3f},
                 &doorTransform4,
                 {-3.5f, 8.0f, -1.0f}},
                {2,
                 &key2Transform1,
                 &box2LidTransform,
                 9.1f,
                 {-5.1f, 9.3f, -1.0f},
                 &doorTransform3,
                 {-5.1f, 9.3f, -1.0f}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.level);
        GameDriver game;
        currentLevel = row.level;
        placePieces();
        setBoard(solvedBoard);
        game.frame();
        game.placeCamera(row.byKey, positionOf(*row.key));
        game.click();
        ASSERT_TRUE(holdingKey);
        const glm::mat4 taken = *row.key;
        game.run(10.0f);
        EXPECT_NEAR((*row.lid)[3].y, row.lidTop + 0.005f, 0.005f);
        EXPECT_NEAR(level2PartTransform[0][3].y, boardTransform[3].y, 1e-4f);
        game.placeCamera(row.byDoor, positionOf(*row.door));
        handleClick(nullptr, 0, 1, 0);
        ASSERT_FALSE(keyTaken);
        game.placeCamera(positionOf(taken) + glm::vec3(0.5f, 0.0f, 0.0f), positionOf(taken));
        handleClick(nullptr, 0, 1, 0);
        EXPECT_FALSE(holdingKey);
        game.frame();
        ASSERT_EQ(currentLevel, row.level + 1);
        EXPECT_EQ(*row.key, taken);
    }
}

TEST_F(Rules, AnExitDoorOpensOnceAndMovesThePlayerOn) {
    holdingKey = keyTaken = true;
    clickAt({-3.5f, 8.0f, -1.0f}, doorTransform4);
    EXPECT_FALSE(holdingKey || keyTaken);
    game.frame();
    EXPECT_EQ(currentLevel, 2);
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

// The box's flight is played through in the scripted playthrough.
TEST_F(Rules, DoorOneRefusesTheKeyWhileTheBoxStillRuns) {
    currentLevel = 3;
    holdingKey = true;
    clickAt({-2.42f, 9.3f, -0.3f}, doorTransform1);
    EXPECT_FALSE(openDoor1Request);
}

TEST_F(Rules, HiddenTopsOpenOnceEachAndOnlyTheTargetTurns) {
    currentLevel = 4;
    // Tops 7 and 8 both in one click: the later one is the target and turns.
    clickAt({-2.54f, 9.3f, 2.85f}, {-2.54f, 8.53f, 2.0f});
    const glm::mat4 closedTop7 = hiddenKeyBox7TopTransform;
    game.frame();
    EXPECT_TRUE(hiddenTopOpened[7]);
    EXPECT_EQ(hiddenKeyBox7TopTransform, closedTop7);
    // An opened top is no target: looking at it again changes nothing.
    const glm::mat4 openedTop8 = hiddenKeyBox8TopTransform;
    clickAt({-2.18f, 9.3f, 2.85f}, hiddenKeyBox8TopTransform);
    game.frame();
    EXPECT_EQ(hiddenKeyBox8TopTransform, openedTop8);
    // The pending top turns when a later click names it.
    clickAt({-2.9f, 9.3f, 2.85f}, hiddenKeyBox7TopTransform);
    game.frame();
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
    EXPECT_TRUE(out.text() == "YOU WONYOU WON" && GameDriver::blendingSwitches() == 2);
    EXPECT_EQ(doorTransform6, door6);

    for (const bool a : {true, false}) {
        SCOPED_TRACE(a ? "key A" : "key B");
        glm::mat4& key = a ? extraKeyATransform : extraKeyBTransform;
        glm::mat4& door = a ? doorTransform6 : doorTransform9;
        const bool& holding = a ? holdingKeyA : holdingKeyB;
        const glm::vec3 byKey = a ? glm::vec3(-3.1f, 9.3f, 2.95f) : glm::vec3(-2.0f, 9.3f, 2.0f);
        // The key can be taken only once its box is open, and only once: taken, it lies 1.4
        // below where it lay.
        clickAt(byKey, key);
        EXPECT_FALSE(holding);
        clickAt(byKey, a ? hiddenKeyBox1TopTransform : hiddenKeyBox6TopTransform);
        game.frame();
        clickAt(byKey, key);
        EXPECT_TRUE(holding);
        clickAt(a ? byDoor6 : glm::vec3(-0.6f, 9.3f, -0.07f), door);
        game.frame();
        EXPECT_FALSE(holding);
        clickAt(byKey + glm::vec3(0.0f, -1.4f, 0.0f), key);
        EXPECT_FALSE(holding);
    }
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
