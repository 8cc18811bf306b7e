#include "support/Playthrough.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

MilestoneHook milestoneHook = nullptr;

void milestone(const char* name) {
    if (milestoneHook != nullptr && name != nullptr) {
        milestoneHook(name);
    }
}

// Looks at the thing and clicks it; a milestone named here is pictured just before the click.
void clickOn(GameDriver& game, const glm::mat4& thing, const char* milestoneName = nullptr) {
    game.lookAt(positionOf(thing));
    milestone(milestoneName);
    game.click();
}

// Opens the exit door with the key in hand; the next frame moves the player on to the level.
void openExitDoor(GameDriver& game, const glm::mat4& door, int level, const char* milestoneName) {
    clickOn(game, door);
    game.frame();
    ASSERT_EQ(currentLevel, level);
    milestone(milestoneName);
}

// Carries the held piece to a spot three quarters of a unit short of its place, looks down at
// where the piece will rest (it floats 0.03 off the view line on x and z) and lets go.
void dropOn(GameDriver& game, const glm::mat4& place) {
    const glm::vec3 p = positionOf(place);
    game.walkTo(p.x, p.z + 0.75f);
    game.lookAt(p - glm::vec3(0.03f, 0.0f, 0.03f));
    game.click();
}

// Cells are numbered row by row in a serpentine; the cursor keys wrap at the edges and step over
// the empty cell.
constexpr int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
constexpr int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
constexpr int cellAt[3][3] = {{0, 1, 2}, {5, 4, 3}, {8, 7, 6}};

// Moves the selection as a player would: W or S to the target's row, then D or A to its column,
// each the shorter way round; a column first when the gap holds the target row in this column.
void selectCell(GameDriver& game, int target) {
    for (int guard = 0; guard < 8 && boardCursor != target; ++guard) {
        const int row = rowOf[boardCursor];
        const int column = columnOf[boardCursor];
        if (row != rowOf[target] && boardCells[cellAt[rowOf[target]][column]] != -1) {
            game.tap((rowOf[target] - row + 3) % 3 == 1 ? key::s : key::w);
        } else {
            game.tap((columnOf[target] - column + 3) % 3 == 1 ? key::a : key::d);
        }
    }
    ASSERT_EQ(boardCursor, target);
}

}  // namespace

void setMilestoneHook(MilestoneHook hook) {
    milestoneHook = hook;
}

void playLevel1(GameDriver& game) {
    game.walkTo(-2.2f, -1.4f);
    clickOn(game, level1Part2Transform);
    ASSERT_TRUE(carryingPart2);
    milestone("level1-piece-carried");
    dropOn(game, level1Place2Transform);
    ASSERT_FALSE(carryingPart2);
    milestone("level1-piece-placed");
    game.walkTo(-3.7f, -3.4f);
    clickOn(game, level1Part1Transform);
    ASSERT_TRUE(carryingPart1);
    dropOn(game, level1Place3Transform);
    game.walkTo(-0.9f, -3.5f);
    clickOn(game, level1Part3Transform);
    ASSERT_TRUE(carryingPart3);
    dropOn(game, level1Place1Transform);
    ASSERT_FALSE(carryingPart1 || carryingPart2 || carryingPart3);
    game.frame();
    ASSERT_EQ(solvedLevel, 1);

    // The lid opens and the key rises out of the box.
    game.run(5.0f);
    game.walkTo(-2.2f, -2.3f);
    clickOn(game, key1Transform, "level1-key-rising");
    ASSERT_TRUE(holdingKey);
    game.walkTo(-3.5f, -1.0f);
    openExitDoor(game, doorTransform4, 2, "level1-door-open");
}

void playLevel2(GameDriver& game) {
    // Through the open door into the tower, up to the board's platform.
    game.walkTo(-5.0f, -1.0f);
    game.flyTo(9.3f);
    clickOn(game, boardTransform);
    ASSERT_TRUE(boardMode);
    game.frame();
    milestone("level2-board");

    // The shortest solution, as the cells whose tile slides into the gap, one after another.
    const int slides[] = {7, 4, 1, 0, 5, 4, 1, 2, 3, 4, 1, 0, 5, 4, 1, 2, 3, 4, 1, 0, 5, 4, 7, 6};
    for (const int cell : slides) {
        selectCell(game, cell);
        const int gap = static_cast<int>(std::find(boardCells, boardCells + 9, -1) - boardCells);
        game.tap(key::enter);
        ASSERT_EQ(boardCells[cell], -1);
        ASSERT_EQ(boardCursor, gap);
    }
    game.frame();
    ASSERT_FALSE(boardMode);
    ASSERT_EQ(solvedLevel, 2);
    milestone("level2-board-solved");

    game.run(5.0f);
    // The companion, which set off when door 4 opened, arrives beside the board.
    for (int guard = 0; guard < 3600 && walkScript == 1; ++guard) {
        game.frame();
    }
    ASSERT_EQ(walkScript, -1);
    game.walkTo(-5.1f, -1.0f);
    clickOn(game, key2Transform1);
    ASSERT_TRUE(holdingKey);
    openExitDoor(game, doorTransform3, 3, "level2-door-open");
}

// The statues creep up whenever they are out of view, so the player keeps them in sight while it
// walks, turning away only to hit the box, take the key and open the door.
void playLevel3(GameDriver& game) {
    const auto statuesMidpoint = [] {
        return 0.5f * (positionOf(statue1Transform) + positionOf(statue2Transform));
    };
    game.lookAt(statuesMidpoint());
    game.walkWatching(-0.7f, -1.0f, statuesMidpoint());
    game.walkWatching(-0.7f, -4.4f, statuesMidpoint());
    clickOn(game, box1Transform);
    ASSERT_EQ(boxChaseClicks, 1);
    game.frame();
    milestone("level3-box-hit");
    // The box flees north, then west.
    game.walkWatching(-0.7f, -1.2f, statuesMidpoint());
    clickOn(game, box1Transform);
    ASSERT_EQ(boxChaseClicks, 2);
    game.walkWatching(-3.4f, -0.6f, statuesMidpoint());
    clickOn(game, box1Transform);
    ASSERT_TRUE(boxChaseDone);
    ASSERT_EQ(solvedLevel, 3);
    // The key rises out of the caught box while the player watches the statues.
    game.lookAt(statuesMidpoint());
    game.run(5.0f);
    clickOn(game, key2Transform2, "level3-key-rising");
    ASSERT_TRUE(holdingKey);
    game.walkWatching(-2.42f, -0.3f, statuesMidpoint());
    openExitDoor(game, doorTransform1, 4, "level3-door-open");
}

void playLevel4(GameDriver& game) {
    const glm::mat4* const tops[8] = {&hiddenKeyBox1TopTransform, &hiddenKeyBox2TopTransform,
                                      &hiddenKeyBox3TopTransform, &hiddenKeyBox4TopTransform,
                                      &hiddenKeyBox5TopTransform, &hiddenKeyBox6TopTransform,
                                      &hiddenKeyBox7TopTransform, &hiddenKeyBox8TopTransform};
    // Through door 1 into the north room; the west row of boxes from the middle of the room, the
    // east row from the middle, then the two in between from the north.
    game.walkTo(-2.33f, 1.2f);
    const struct {
        int box;
        float x, z;
    } visits[] = {{2, -3.1f, 1.0f}, {3, -3.1f, 2.0f}, {1, -3.1f, 2.95f},  {4, -2.0f, 2.95f},
                  {6, -2.0f, 2.0f}, {5, -2.0f, 1.0f}, {8, -2.18f, 2.85f}, {7, -2.9f, 2.85f}};
    for (const auto& visit : visits) {
        game.walkTo(visit.x, visit.z);
        clickOn(game, *tops[visit.box - 1]);
        game.frame();
        ASSERT_TRUE(hiddenTopOpened[visit.box - 1]) << "box " << visit.box;
        milestone(visit.box == 2 ? "level4-top-opened" : nullptr);
    }

    // Reaching into box 1 for key A leaves its opened top as it is.
    const glm::mat4 openedTop = hiddenKeyBox1TopTransform;
    game.walkTo(-3.1f, 2.95f);
    clickOn(game, extraKeyATransform, "level4-key-found");
    game.frame();
    ASSERT_TRUE(holdingKeyA);
    EXPECT_EQ(hiddenKeyBox1TopTransform, openedTop);
    game.walkTo(-2.0f, 2.0f);
    clickOn(game, extraKeyBTransform);
    ASSERT_TRUE(holdingKeyB);

    // Back through door 1 to the two doors in the east wall.
    game.walkTo(-2.33f, 1.0f);
    game.walkTo(-2.33f, 0.0f);
    game.walkTo(-0.6f, -0.07f);
    clickOn(game, doorTransform9);
    game.frame();
    ASSERT_FALSE(holdingKeyB);
    game.flyTo(10.2f);
    clickOn(game, doorTransform6);
    game.frame();
    ASSERT_FALSE(holdingKeyA);
    milestone("level4-won");
}
