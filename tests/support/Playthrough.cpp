#include "support/Playthrough.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

MilestoneHook milestoneHook = nullptr;

void milestone(const char* name) {
    if (milestoneHook != nullptr) {
        milestoneHook(name);
    }
}

// Where a dropped piece should come to rest: the piece floats 0.03 off the view line on x and z.
glm::vec3 dropPointFor(const glm::mat4& place) {
    return positionOf(place) - glm::vec3(0.03f, 0.0f, 0.03f);
}

void pickUp(GameDriver& game, const glm::mat4& piece, float standX, float standZ) {
    game.walkTo(standX, standZ);
    game.lookAt(positionOf(piece));
    game.click();
}

// Carries the held piece to a spot three quarters of a unit short of its place, looks down at the
// place and lets go.
void dropOn(GameDriver& game, const glm::mat4& place) {
    const glm::vec3 p = positionOf(place);
    game.walkTo(p.x, p.z + 0.75f);
    game.lookAt(dropPointFor(place));
    game.click();
}

}  // namespace

float horizontalGap(const glm::vec3& a, const glm::vec3& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

glm::vec3 eye() {
    return playerCamera->position;
}

void setMilestoneHook(MilestoneHook hook) {
    milestoneHook = hook;
}

void playLevel1(GameDriver& game) {
    pickUp(game, level1Part2Transform, -2.2f, -1.4f);
    ASSERT_TRUE(carryingPart2);
    milestone("level1-piece-carried");
    dropOn(game, level1Place2Transform);
    ASSERT_FALSE(carryingPart2);
    milestone("level1-piece-placed");

    pickUp(game, level1Part1Transform, -3.7f, -3.4f);
    ASSERT_TRUE(carryingPart1);
    dropOn(game, level1Place3Transform);

    pickUp(game, level1Part3Transform, -0.9f, -3.5f);
    ASSERT_TRUE(carryingPart3);
    dropOn(game, level1Place1Transform);
    ASSERT_FALSE(carryingPart1 || carryingPart2 || carryingPart3);

    game.frame();
    ASSERT_EQ(solvedLevel, 1);
    // The lid opens and the key rises out of the box.
    game.run(5.0f);
    game.walkTo(-2.2f, -2.3f);
    game.lookAt(positionOf(key1Transform));
    milestone("level1-key-rising");
    game.click();
    ASSERT_TRUE(holdingKey);

    game.walkTo(-3.5f, -1.0f);
    game.lookAt(positionOf(doorTransform4));
    game.click();
    game.frame();
    ASSERT_EQ(currentLevel, 2);
    milestone("level1-door-open");
}

namespace {

// The player's picture of the board: cells numbered row by row in a serpentine, cursor keys that
// wrap at the edges and step over the empty cell.
constexpr int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
constexpr int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
constexpr int cellAt[3][3] = {{0, 1, 2}, {5, 4, 3}, {8, 7, 6}};

int cursorAfter(int cell, int rowStep, int columnStep) {
    int row = rowOf[cell];
    int column = columnOf[cell];
    do {
        row = (row + rowStep + 3) % 3;
        column = (column + columnStep + 3) % 3;
    } while (boardCells[cellAt[row][column]] == -1);
    return cellAt[row][column];
}

// Moves the selection to the cell with the fewest keystrokes the player can think of: rows first
// with W or S, then columns with D or A, whichever way round is shorter.
void selectCell(GameDriver& game, int target) {
    struct Move {
        int keyCode;
        int rowStep;
        int columnStep;
    };
    const Move moves[] = {{key::w, -1, 0}, {key::s, 1, 0}, {key::d, 0, -1}, {key::a, 0, 1}};
    // Breadth-first over the nine cells.
    int previous[9];
    int viaKey[9];
    std::fill(std::begin(previous), std::end(previous), -2);
    int queue[9];
    int head = 0;
    int tail = 0;
    queue[tail++] = boardCursor;
    previous[boardCursor] = -1;
    while (head < tail) {
        const int cell = queue[head++];
        for (const Move& move : moves) {
            const int next = cursorAfter(cell, move.rowStep, move.columnStep);
            if (previous[next] == -2) {
                previous[next] = cell;
                viaKey[next] = move.keyCode;
                queue[tail++] = next;
            }
        }
    }
    int keys[9];
    int count = 0;
    for (int cell = target; previous[cell] != -1; cell = previous[cell]) {
        keys[count++] = viaKey[cell];
    }
    for (int i = count - 1; i >= 0; --i) {
        game.tap(keys[i]);
    }
    ASSERT_EQ(boardCursor, target);
}

}  // namespace

void playLevel2(GameDriver& game) {
    // Through the open door into the tower, up to the board's platform.
    game.walkTo(-5.0f, -1.0f);
    game.flyTo(9.3f);
    game.lookAt(positionOf(boardTransform));
    game.click();
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
    game.lookAt(positionOf(key2Transform1));
    game.click();
    ASSERT_TRUE(holdingKey);
    game.lookAt(positionOf(doorTransform3));
    game.click();
    game.frame();
    ASSERT_EQ(currentLevel, 3);
    milestone("level2-door-open");
}

namespace {

glm::vec3 statuesMidpoint() {
    return 0.5f * (positionOf(statue1Transform) + positionOf(statue2Transform));
}

float nearestStatue() {
    return std::min(horizontalGap(eye(), positionOf(statue1Transform)),
                    horizontalGap(eye(), positionOf(statue2Transform)));
}

}  // namespace

// The statues creep up whenever they are out of view, so the player keeps them in sight while it
// walks, turning away only to hit the box, take the key and open the door.
void playLevel3(GameDriver& game) {
    game.lookAt(statuesMidpoint());
    game.walkWatching(-0.7f, -1.0f, statuesMidpoint());
    game.walkWatching(-0.7f, -4.4f, statuesMidpoint());
    game.lookAt(positionOf(box1Transform));
    game.click();
    ASSERT_EQ(boxChaseClicks, 1);
    game.frame();
    milestone("level3-box-hit");
    // The box flees north, then west.
    game.walkWatching(-0.7f, -1.2f, statuesMidpoint());
    game.lookAt(positionOf(box1Transform));
    game.click();
    ASSERT_EQ(boxChaseClicks, 2);
    game.walkWatching(-3.4f, -0.6f, statuesMidpoint());
    game.lookAt(positionOf(box1Transform));
    game.click();
    ASSERT_TRUE(boxChaseDone);
    ASSERT_EQ(solvedLevel, 3);
    // The key rises out of the caught box while the player watches the statues.
    game.lookAt(statuesMidpoint());
    game.run(5.0f);
    game.lookAt(positionOf(key2Transform2));
    milestone("level3-key-rising");
    game.click();
    ASSERT_TRUE(holdingKey);
    game.walkWatching(-2.42f, -0.3f, statuesMidpoint());
    EXPECT_GT(nearestStatue(), 1.0f);
    game.lookAt(positionOf(doorTransform1));
    game.click();
    game.frame();
    ASSERT_FALSE(gameOver);
    ASSERT_EQ(currentLevel, 4);
    milestone("level3-door-open");
}

namespace {

const glm::mat4& topOf(int box) {
    const glm::mat4* const tops[8] = {&hiddenKeyBox1TopTransform, &hiddenKeyBox2TopTransform,
                                      &hiddenKeyBox3TopTransform, &hiddenKeyBox4TopTransform,
                                      &hiddenKeyBox5TopTransform, &hiddenKeyBox6TopTransform,
                                      &hiddenKeyBox7TopTransform, &hiddenKeyBox8TopTransform};
    return *tops[box - 1];
}

void openBox(GameDriver& game, int box, float standX, float standZ) {
    game.walkTo(standX, standZ);
    game.lookAt(positionOf(topOf(box)));
    game.click();
    game.frame();
    EXPECT_TRUE(hiddenTopOpened[box - 1]) << "box " << box;
}

}  // namespace

void playLevel4(GameDriver& game) {
    // Through door 1 into the north room.
    game.walkTo(-2.33f, 1.2f);
    // The west row from the middle of the room, the east row from the middle, then the two in
    // between from the north.
    openBox(game, 2, -3.1f, 1.0f);
    milestone("level4-top-opened");
    openBox(game, 3, -3.1f, 2.0f);
    openBox(game, 1, -3.1f, 2.95f);
    openBox(game, 4, -2.0f, 2.95f);
    openBox(game, 6, -2.0f, 2.0f);
    openBox(game, 5, -2.0f, 1.0f);
    openBox(game, 8, -2.18f, 2.85f);
    openBox(game, 7, -2.9f, 2.85f);
    ASSERT_TRUE(std::all_of(hiddenTopOpened, hiddenTopOpened + 8, [](bool open) { return open; }));

    // Reaching into box 1 for key A leaves its opened top as it is.
    const glm::mat4 openedTop = hiddenKeyBox1TopTransform;
    game.walkTo(-3.1f, 2.95f);
    game.lookAt(positionOf(extraKeyATransform));
    milestone("level4-key-found");
    game.click();
    game.frame();
    ASSERT_TRUE(holdingKeyA);
    EXPECT_EQ(hiddenKeyBox1TopTransform, openedTop);
    game.walkTo(-2.0f, 2.0f);
    game.lookAt(positionOf(extraKeyBTransform));
    game.click();
    ASSERT_TRUE(holdingKeyB);

    // Back through door 1 to the two doors in the east wall.
    game.walkTo(-2.33f, 1.0f);
    game.walkTo(-2.33f, 0.0f);
    game.walkTo(-0.6f, -0.07f);
    game.lookAt(positionOf(doorTransform9));
    game.click();
    game.frame();
    ASSERT_FALSE(holdingKeyB);
    game.flyTo(10.2f);
    game.lookAt(positionOf(doorTransform6));
    game.click();
    game.frame();
    ASSERT_FALSE(holdingKeyA);
    milestone("level4-won");
}
