#include "game/Board.h"

#include <algorithm>
#include <iterator>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/KeyInput.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

constexpr int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
constexpr int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
constexpr int cellAt[3][3] = {{0, 1, 2}, {5, 4, 3}, {8, 7, 6}};
constexpr int solvedCells[9] = {2, 1, 0, 5, 4, 3, -1, 7, 6};
constexpr float cellSize = 0.25f;
constexpr float liftHeight = 0.3f;

// Tile moves are taken in the tile's own model space.
void moveTileIn(int cell, const glm::vec3& offset) {
    if (cell < 0 || cell > 8) {
        return;
    }
    const int tile = boardCells[cell];
    if (tile < 0 || tile > 7) {
        return;
    }
    level2PartTransform[tile] = glm::translate(level2PartTransform[tile], offset);
}

void slideSelectedTile() {
    const int from = boardCursor;
    if (from < 0 || from > 8 || boardCells[from] < 0) {
        return;
    }
    const int row = rowOf[from];
    const int column = columnOf[from];
    constexpr int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& step : steps) {
        const int toRow = row + step[0];
        const int toColumn = column + step[1];
        // The edges do not wrap for sliding.
        if (toRow < 0 || toRow > 2 || toColumn < 0 || toColumn > 2) {
            continue;
        }
        const int to = cellAt[toRow][toColumn];
        if (boardCells[to] != -1) {
            continue;
        }
        moveTileIn(from, glm::vec3(cellSize * static_cast<float>(step[0]), 0.0f,
                                   cellSize * static_cast<float>(step[1])));
        boardCells[to] = boardCells[from];
        boardCells[from] = -1;
        // The cursor follows the tile, which stays lifted.
        boardCursor = to;
        return;
    }
}

// Moves the selection one cell, wrapping at the edges and stepping over the empty cell.
void moveCursor(int rowStep, int columnStep) {
    boardMoveArmed = true;
    lowerSelectedTile();
    int row = rowOf[boardCursor];
    int column = columnOf[boardCursor];
    for (int tries = 0; tries < 2; ++tries) {
        row = (row + rowStep + 3) % 3;
        column = (column + columnStep + 3) % 3;
        if (boardCells[cellAt[row][column]] != -1) {
            break;
        }
    }
    boardCursor = cellAt[row][column];
    liftSelectedTile();
}

}  // namespace

bool boardSolved() {
    return std::equal(std::begin(solvedCells), std::end(solvedCells), std::begin(boardCells));
}

void liftSelectedTile() {
    moveTileIn(boardCursor, glm::vec3(0.0f, liftHeight, 0.0f));
}

void lowerSelectedTile() {
    moveTileIn(boardCursor, glm::vec3(0.0f, -liftHeight, 0.0f));
}

void handleBoardKeys(GLFWwindow* window, int /*key*/, int /*scancode*/, int /*action*/,
                     int /*mods*/) {
    // The lifted tile belongs to board mode; keys reaching a board that is not active would
    // lift or lower tiles nobody selected.
    if (!boardMode || boardCursor < 0 || boardCursor > 8) {
        return;
    }
    if (isKeyDown(window, key::enter) && boardMoveArmed) {
        slideSelectedTile();
        // Disarmed even when nothing could slide, so holding ENTER slides one tile only.
        boardMoveArmed = false;
    }
    if (isKeyDown(window, key::w)) {
        moveCursor(-1, 0);
    }
    if (isKeyDown(window, key::d)) {
        moveCursor(0, -1);
    }
    if (isKeyDown(window, key::s)) {
        moveCursor(1, 0);
    }
    if (isKeyDown(window, key::a)) {
        moveCursor(0, 1);
    }
    if (isKeyDown(window, key::end)) {
        boardMode = false;
        lowerSelectedTile();
    }
}
