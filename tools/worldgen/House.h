#pragma once

#include <glm/glm.hpp>

#include "Geometry.h"

// The house is drawn with translate(-2, 6, -4) and scale 0.2: its model frame is the world
// moved by (2, -6, 4) and enlarged five times.
glm::vec3 houseFromWorld(glm::vec3 world);

// Storey floors (walkable tops, world y).
constexpr float kFloorGround = 6.1f;
constexpr float kFloorLevel1 = 7.3f;
constexpr float kFloorLevel2 = 8.54f;
constexpr float kFloorAttic = 9.78f;

// The house with its lawn, in the house model frame.
Shape buildHouse();
// The labyrinth relief on the level-4 floor, in the house model frame as well.
Shape buildLabyrinth();
