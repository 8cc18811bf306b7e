#pragma once

#include <glm/glm.hpp>

// The game's state between frames: the level, the puzzle progress and the one-shot requests that
// clicks and keys leave for the next frame. Everything lives in process-wide variables that the
// rules, the draw passes and the frame loop read in place; each starts at a fixed value and the
// running program never resets it.

// Level the player is in, 1 to 4; only opening an exit door raises it.
extern int currentLevel;
// Level whose puzzle is solved and whose reward is animating; -1 = none.
extern int solvedLevel;
// A statue caught the player; from then on the per-frame rules stand still.
extern bool gameOver;
// The player holds the current level's key.
extern bool holdingKey;
// The current level's key has been taken; blocks taking it again.
extern bool keyTaken;
// The last level whose key was taken. That key stays where taking it put it and cannot be taken
// again, while the rest of the level's reward (the lid, in level 2 the board and its tiles) goes
// on rising as long as the puzzle stays solved.
extern int claimedKeyLevel;
// Level 1: the player carries that piece.
extern bool carryingPart1;
extern bool carryingPart2;
extern bool carryingPart3;
// One-shot requests to open an exit door, performed and cleared by the next frame.
extern bool openDoor4Request;
extern bool openDoor3Request;
extern bool openDoor1Request;
// The sliding-tile board has the keyboard (and the tile under the cursor is lifted).
extern bool boardMode;
// Selected board cell, 0 to 8; never the empty cell.
extern int boardCursor;
// ENTER may slide the selected tile; a cursor key re-arms it.
extern bool boardMoveArmed;
// Tile number in each board cell, -1 for the one empty cell.
extern int boardCells[9];
// Level 3: hits on the fleeing box so far, 0 to 3.
extern int boxChaseClicks;
// Level 3: the fleeing box has been hit the third time.
extern bool boxChaseDone;
// Level 4: the last target a click hit: hidden box 1 to 8, door 6 = 9, door 9 = 10; -1 = none.
extern int hiddenTarget;
// Level 4: requests to open the top of hidden box 1 to 8.
extern bool openTop1Request;
extern bool openTop2Request;
extern bool openTop3Request;
extern bool openTop4Request;
extern bool openTop5Request;
extern bool openTop6Request;
extern bool openTop7Request;
extern bool openTop8Request;
// Level 4: the top of hidden box k + 1 has been opened; an opened top is no longer a target.
extern bool hiddenTopOpened[8];
// Level 4: box 1 (box 6) is open, so key A (key B) can be taken.
extern bool keyABoxOpen;
extern bool keyBBoxOpen;
// Level 4: key A (key B) has been taken; each can be taken once.
extern bool keyATaken;
extern bool keyBTaken;
// Level 4: key A (key B) is held and not yet used on its door.
extern bool holdingKeyA;
extern bool holdingKeyB;
// The companion's walk: 1 and 2 walk, -1 finished, anything else stands still.
extern int walkScript;
// Door 3 opened while the first walk was still under way: the second walk starts when it ends.
extern bool secondWalkQueued;
// Leg latches of the companion's walk: a leg runs only while its latch is set, and the next leg
// clears it, so the legs follow one another.
extern bool walkLegA;
extern bool walkLegB;
extern bool walkLegC;
extern bool walkLegD;
extern bool walkLegE;
extern bool walkLegF;
extern bool walkLegG;
// Seconds into the current half swing of the companion's limbs, and its direction.
extern float limbSwingTimer;
extern bool limbSwingForward;

// An object's position: the translation column of its model matrix.
inline glm::vec3 positionOf(const glm::mat4& model) {
    return glm::vec3(model[3]);
}

// The game's step for one frame of dt seconds: level tests, animations, statues and doors, in that
// order. Does nothing once the game is over.
void updateGame(float dt);
// Tests the current level: pieces placed, board solved, player caught by a statue.
void checkLevelProgress();
// Puts every variable above back to its starting value. The program never calls it; tests start
// each scenario from it.
void resetGameState();
