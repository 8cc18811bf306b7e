// The sliding-tile board: cursor keys with their wrap and skip, ENTER with its arming, END, and
// the lifted tile that marks the selection.

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "camera/KeyInput.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "support/GameDriver.h"

namespace {

constexpr float boardHeight = 8.8f;
// 0.3 tile-model units in the board's 0.3 scale.
constexpr float liftedHeight = 8.89f;

class Board : public ::testing::Test {
protected:
    void SetUp() override {
        currentLevel = 2;
        game.placeCamera({-5.0f, 9.3f, -1.0f}, positionOf(boardTransform));
        game.click();
        ASSERT_TRUE(boardMode);
    }

    // Exactly the tile under the cursor is lifted.
    void expectOnlySelectedLifted() {
        for (int cell = 0; cell < 9; ++cell) {
            const int tile = boardCells[cell];
            if (tile >= 0) {
                EXPECT_NEAR(level2PartTransform[tile][3].y,
                            cell == boardCursor ? liftedHeight : boardHeight, 1e-4f)
                    << "tile " << tile << " in cell " << cell;
            }
        }
    }

    GameDriver game;
};

}  // namespace

TEST_F(Board, CursorKeysWrapAtTheEdgesAndStepOverTheEmptyCell) {
    struct Step {
        int keyCode;
        int cursor;
    };
    // From cell 4 with cell 6 empty. W and S change the row, D and A the column (D leftwards).
    const Step steps[] = {
        {key::w, 1}, {key::w, 7}, {key::a, 8}, {key::a, 7}, {key::d, 8},
        {key::d, 7}, {key::s, 1}, {key::s, 4}, {key::a, 3}, {key::s, 2},
    };
    expectOnlySelectedLifted();
    for (const Step& step : steps) {
        game.tap(step.keyCode);
        EXPECT_EQ(boardCursor, step.cursor) << "key " << step.keyCode;
    }
    expectOnlySelectedLifted();
    // From cell 0 with cell 8 empty, W lands on cell 5.
    std::copy_n(std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, -1}.begin(), 9, boardCells);
    boardCursor = 0;
    game.tap(key::w);
    EXPECT_EQ(boardCursor, 5);
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
    // Holding or pressing ENTER again does nothing until a cursor key is pressed.
    game.press(key::enter);
    game.release(key::enter);
    EXPECT_EQ(boardCells[6], 7);
    game.tap(key::d);
    game.tap(key::a);
    EXPECT_TRUE(boardMoveArmed);
    game.tap(key::enter);
    EXPECT_EQ(boardCells[7], 7);
}

TEST_F(Board, EveryEventPollsAllKeysInOrder) {
    game.press(key::s);
    ASSERT_EQ(boardCursor, 7);
    // ENTER pressed while S is held: the tile slides first, then S moves the cursor on.
    game.press(key::enter);
    EXPECT_EQ(boardCells[6], 7);
    EXPECT_EQ(boardCursor, 2);
    // Releasing ENTER is an event too, and S is still down.
    game.release(key::enter);
    EXPECT_EQ(boardCursor, 3);
    game.release(key::s);
    EXPECT_EQ(boardCursor, 3);
    expectOnlySelectedLifted();
}

TEST_F(Board, EndLeavesTheBoardWithTheTileLoweredAndTheCursorKept) {
    game.tap(key::w);
    game.tap(key::end);
    EXPECT_FALSE(boardMode);
    EXPECT_EQ(boardCursor, 1);
    EXPECT_NEAR(level2PartTransform[1][3].y, boardHeight, 1e-4f);
    // Clicking the board again lifts the same tile.
    game.placeCamera({-5.0f, 9.3f, -1.0f}, positionOf(boardTransform));
    game.click();
    EXPECT_TRUE(boardMode);
    expectOnlySelectedLifted();
}
