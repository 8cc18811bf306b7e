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

// What the frame loop carries from one iteration to the next.
struct FrameLoopState {
    // The timer value read at the previous iteration (before the first: before the loading).
    double previousTime = 0.0;
    // Which way the next F6 press switches the lowered stance.
    bool lowerToggle = true;
    // The cursor callback has been registered, so cursor positions reach mouse look.
    bool cursorWatched = false;
};

// One iteration of the frame loop, through the installed window system and renderer: the time
// step, the option timer, the jump landing, the update, the statistics line, the passes, the
// game-over blending, presenting and the event poll, Escape and the option keys, the callbacks'
// registration with the keyboard movement (or the board's fixed eye), and the OpenGL error line.
// The statistics, the option messages and the error line go to out. The game, the tests and the
// tools all run their frames through it.
void runFrame(GLFWwindow* window, FrameLoopState& loop, std::ostream& out);

// Runs one iteration per displayed frame until the window is marked to close. previousTime is the
// timer value read before the asset set-up, so the first frame's time includes the loading.
void runFrameLoop(GLFWwindow* window, double previousTime);

// After the loop: empties the owners while the context exists, then ends the window system.
void shutDown();
