#pragma once

#include <glm/glm.hpp>

// The player's one gesture: looking at something close by and pressing the left button.

struct GLFWwindow;

// True when the target lies within the cone of the given half-angle (radians) about the camera's
// view direction and nearer than the reach; both bounds are strict.
bool gazeTest(const glm::vec3& target, float angle, float reach);

// A left-button press: carries pieces, enters the board, takes keys, requests doors, hits the
// fleeing box, opens hidden boxes or wins, by the current level. The arguments are the button
// event's and are not read; the frame loop passes only left-button presses.
void handleClick(GLFWwindow* window, int button, int action, int mods);
