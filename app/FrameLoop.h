#pragma once

#include <iosfwd>

struct GLFWwindow;

// The per-frame update: the game rules, then the camera's view, then the light follow. The camera
// and the light keep running after the game is over.
void updateFrame(float dt);

// Input callbacks, registered anew in every frame after its events were polled.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods);
void cursorPositionCallback(GLFWwindow* window, double x, double y);

// The statistics line: frame time, frame rate and the previous frame's drawn objects.
void writeStatistics(std::ostream& out, float dt);

// The work of one frame before it is presented: the option timer, the jump landing, the update,
// the statistics line (to out), the shadow, main and environment passes, and the game-over
// blending. The frame loop, the tools and the tests all run frames through it.
void advanceFrame(float dt, std::ostream& out);

// Runs one iteration per displayed frame until the window is marked to close. previousTime is the
// timer value read before the asset set-up, so the first frame's time includes the loading.
void runFrameLoop(GLFWwindow* window, double previousTime);

// After the loop: empties the owners while the context exists, then ends the window system.
void shutDown();
