#include "game/GameState.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "camera/Camera.h"
#include "game/Animations.h"
#include "game/Board.h"
#include "game/Layout.h"
#include "game/Statues.h"

// Every scalar with its starting value, written once: the definitions and resetGameState both
// expand this list, so a fresh game and a reset game cannot differ.
#define VELMORA_GAME_SCALARS(X)      \
    X(int, currentLevel, 1)          \
    X(int, solvedLevel, -1)          \
    X(bool, gameOver, false)         \
    X(bool, holdingKey, false)       \
    X(bool, keyTaken, false)         \
    X(int, claimedKeyLevel, 0)       \
    X(bool, carryingPart1, false)    \
    X(bool, carryingPart2, false)    \
    X(bool, carryingPart3, false)    \
    X(bool, openDoor4Request, false) \
    X(bool, openDoor3Request, false) \
    X(bool, openDoor1Request, false) \
    X(bool, boardMode, false)        \
    X(int, boardCursor, 4)           \
    X(bool, boardMoveArmed, true)    \
    X(int, boxChaseClicks, 0)        \
    X(bool, boxChaseDone, false)     \
    X(int, hiddenTarget, -1)         \
    X(bool, openTop1Request, false)  \
    X(bool, openTop2Request, false)  \
    X(bool, openTop3Request, false)  \
    X(bool, openTop4Request, false)  \
    X(bool, openTop5Request, false)  \
    X(bool, openTop6Request, false)  \
    X(bool, openTop7Request, false)  \
    X(bool, openTop8Request, false)  \
    X(bool, keyABoxOpen, false)      \
    X(bool, keyBBoxOpen, false)      \
    X(bool, keyATaken, false)        \
    X(bool, keyBTaken, false)        \
    X(bool, holdingKeyA, false)      \
    X(bool, holdingKeyB, false)      \
    X(int, walkScript, 0)            \
    X(bool, secondWalkQueued, false) \
    X(bool, walkLegA, true)          \
    X(bool, walkLegB, true)          \
    X(bool, walkLegC, true)          \
    X(bool, walkLegD, true)          \
    X(bool, walkLegE, true)          \
    X(bool, walkLegF, true)          \
    X(bool, walkLegG, true)          \
    X(float, limbSwingTimer, 0.0f)   \
    X(bool, limbSwingForward, true)

// Rows read t0 t1 t2 / t5 t4 t3 / t6 t7 (empty), cell 0 first.
#define VELMORA_STARTING_BOARD \
    { 0, 1, 2, 3, 4, 5, -1, 7, 6 }

#define VELMORA_DEFINE(type, name, value) type name = value;
VELMORA_GAME_SCALARS(VELMORA_DEFINE)
#undef VELMORA_DEFINE
int boardCells[9] = VELMORA_STARTING_BOARD;
bool hiddenTopOpened[8] = {false, false, false, false, false, false, false, false};

void resetGameState() {
#define VELMORA_RESET(type, name, value) name = value;
    VELMORA_GAME_SCALARS(VELMORA_RESET)
#undef VELMORA_RESET
    constexpr int startingBoard[9] = VELMORA_STARTING_BOARD;
    std::copy(std::begin(startingBoard), std::end(startingBoard), std::begin(boardCells));
    std::fill(std::begin(hiddenTopOpened), std::end(hiddenTopOpened), false);
}

namespace {

// Level 1 pairs each piece with its own place; a piece on another piece's place does not count.
bool pieceOnPlace(const glm::mat4& piece, const glm::mat4& place) {
    const glm::vec3 p = positionOf(piece);
    const glm::vec3 q = positionOf(place);
    const auto within = [](double value, double centre) {
        return centre - 0.3 <= value && value <= centre + 0.3;
    };
    return within(p.x, q.x) && within(p.z, q.z);
}

bool piecesPlaced() {
    return pieceOnPlace(level1Part1Transform, level1Place3Transform) &&
           pieceOnPlace(level1Part2Transform, level1Place2Transform) &&
           pieceOnPlace(level1Part3Transform, level1Place1Transform);
}

// Standing exactly on a statue's x or z does not count: both distances must be strictly positive.
bool caughtBy(const glm::mat4& statue) {
    const glm::vec3 eye = playerCamera->position;
    const glm::vec3 s = positionOf(statue);
    const float dx = std::fabs(eye.x - s.x);
    const float dz = std::fabs(eye.z - s.z);
    return dx > 0.0f && dx < 0.25f && dz > 0.0f && dz < 0.25f;
}

void checkStatues() {
    if (!playerCamera) {
        return;
    }
    if (caughtBy(statue1Transform)) {
        std::cout << "GAMEOVER1 \n";
        gameOver = true;
    }
    if (caughtBy(statue2Transform)) {
        std::cout << "GAMEOVER2 \n";
        gameOver = true;
    }
}

}  // namespace

void checkLevelProgress() {
    if (currentLevel == 1) {
        if (piecesPlaced()) {
            solvedLevel = 1;
        }
    } else if (currentLevel == 2) {
        if (boardSolved()) {
            // The selected tile is lifted exactly while the board has the keyboard; lowering it
            // only then keeps a solved board from sinking a little further every frame.
            if (boardMode) {
                lowerSelectedTile();
                boardMode = false;
            }
            solvedLevel = 2;
        }
    } else if (currentLevel == 3) {
        checkStatues();
    }
}

void updateGame(float dt) {
    if (gameOver) {
        return;
    }
    checkLevelProgress();
    animateCompanion(dt);
    animateRewards(dt);
    if (currentLevel == 4) {
        animateHiddenBoxes();
    }
    updateCarriedPiece();
    if (currentLevel == 3) {
        moveStatues(dt);
    }
    openDoors();
}
