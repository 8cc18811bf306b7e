#pragma once

struct GLFWwindow;

// The whole program: start-up dialogue, window and context, asset set-up, the frame loop and the
// shut-down. Returns 0 after a normal end; every start-up failure exits with status 1.
int runGame(int argc, char** argv);

// Makes the window's context current and loads the OpenGL entry points; false when the loader
// fails. Clears any error the loader leaves behind, so a clean start reports nothing.
bool loadOpenGl(GLFWwindow* window);

// The rules' two ways out: the keyboard poller asks the window system, and the winning click's
// blending goes to the renderer.
void connectRulesToShell();

// Everything between the OpenGL defaults and the first frame: the input seams, the asset set-up,
// the camera records' window size, the hidden cursor and the cursor's start at the window centre.
void prepareWorld(GLFWwindow* window);

// For tools and tests: the real start-up without the dialogue, in a hidden window of the given
// size (windowed, testing mode as given). Returns null when no window or context can be made.
GLFWwindow* startHiddenGame(int width, int height, bool testing);

// What tools and tests add to the hidden start: beforeWindow runs after the window hints are set
// (a debug context, say), afterLoad once the OpenGL entry points are loaded (a debug callback).
// Either may be null; the game's own start never runs them.
struct HiddenStartHooks {
    void (*beforeWindow)() = nullptr;
    void (*afterLoad)() = nullptr;
};
extern HiddenStartHooks hiddenStartHooks;
