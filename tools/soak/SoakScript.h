#pragma once

struct GLFWwindow;

// A scripted player for long runs of the real game. Given the frame number it produces the input a
// person would: mouse movement that keeps crossing the window edges (where the hidden cursor
// wraps), held movement keys and key taps, UP and DOWN, jumps and crouches, clicks, every option
// key in turn, the board's keys, and it changes the level and lets the statues end the game. The
// same frame number always gives the same input.

// The first frames tour every combination of the render states the option keys switch (filtering,
// mip-mapping, blending, wireframe) in every level, so the driver has built all it keeps for them
// before memory is measured. The script proper follows.
constexpr int soakWarmUpFrames = 100;
// Frames after which the script starts over from a fresh game and the default options.
constexpr int soakRoundFrames = 2000;

// Installs the scripted keyboard as the key poller.
void installScriptedKeyboard();

// Sets the state that the frame starts from: the warm-up's render states, the level, the board,
// game over, and a fresh game at the start of each round. Runs before the frame's update.
void scriptFrameState(int frame);

// The events of one frame's poll: key, mouse-button and cursor callbacks, and which keys the
// scripted keyboard holds down for the frame's polling.
void scriptFrameEvents(GLFWwindow* window, int frame);
