#pragma once

// The sliding-tile board of level 2: eight tiles on a 3 x 3 board with one empty cell. Cells are
// numbered in a serpentine order (row 0: 0 1 2, row 1: 5 4 3, row 2: 8 7 6); a row is a quarter
// of a tile-model unit along +x, a column a quarter along +z. The selected tile is shown lifted.

struct GLFWwindow;

// A key event while the board has the keyboard. The event itself is not read: the current state
// of ENTER, W, D, S, A and END is polled and each key held down acts, in that order.
void handleBoardKeys(GLFWwindow* window, int key, int scancode, int action, int mods);

// The tiles read t2 t1 t0 / t3 t4 t5 / t6 t7 (empty).
bool boardSolved();
// Lifts or lowers the tile in the cursor cell by the selection height.
void liftSelectedTile();
void lowerSelectedTile();
