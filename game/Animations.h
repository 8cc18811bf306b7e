#pragma once

// Everything in the world that moves by itself, apart from the statues and the board tiles. Each
// step rewrites model matrices in place, in the object's own model space, and is called once per
// frame by updateGame.

// Walks the companion along the active script and swings its limbs while it walks.
void animateCompanion(float dt);
// Raises the lid and the key of the solved level; a key that has risen spins until it is taken.
void animateRewards(float dt);
// Opens the hidden-box top or the final door that the last click in level 4 aimed at.
void animateHiddenBoxes();
// Keeps the carried level-1 piece floating one unit ahead of the player's eye.
void updateCarriedPiece();
// Performs the pending exit-door requests and moves the player into the next level.
void openDoors();
