#pragma once

#include "Geometry.h"

// The models placed in the house, each in the frame its model matrix expects (see docs/world.md).

// The companion: body with head (origin at the shoulders), a leg (origin at the hip), an arm
// (origin at the shoulder) and the flower it carries (origin at the grip).
Shape buildCompanionBody();
Shape buildCompanionLeg();
Shape buildCompanionArm();
Shape buildFlower();

// The two statues of level 3; `variant` 1 reaches forward, 2 raises its claws.
Shape buildStatue(int variant);

// The reward box (open, y -0.5..0.5) and its lid (y 0.5..0.65 in the box's frame).
Shape buildRewardBox();
Shape buildRewardLid();
// The keys, centred on their origin, long side along x; `variant` 1 brass, 2 steel.
Shape buildKey(int variant);

// Level 1: piece 1..3 (standing on y 0) and place 1..3 (plinths, y -0.1..0).
Shape buildPiece(int piece);
Shape buildPlace(int place);

// A door leaf hinged at the edge that the opening rotation keeps in place.
Shape buildDoor();

// Level 2: the board (origin at its bottom centre) and tile t (0..7), modelled at its first cell.
Shape buildBoard();
Shape buildTile(int tile);
// Board cells: row and column of cell c in the serpentine numbering, and the tile frame centre.
int boardRow(int cell);
int boardColumn(int cell);
// The cell each tile starts in.
int initialCell(int tile);

// Level 4: hidden box, its top, the insert of the empty boxes, the plate (also as the offset
// copy "test") and a tiny stand-in for the models that are loaded but never drawn.
Shape buildHiddenBox();
Shape buildHiddenTop();
Shape buildInsert();
Shape buildPlate(float centreX, float centreZ, const char* material);
Shape buildPlaceholder();

// The mirror cube (a sculpture on the lawn) and the floor labyrinth of level 4 (house frame).
Shape buildMirrorCube();
Shape buildLabyrinth();
