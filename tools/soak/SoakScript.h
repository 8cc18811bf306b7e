#pragma once

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

// Remembers where the player stands after the start-up, so each round starts from there again.
void startSoakScript();

// Sets the state that the frame starts from: the warm-up's render states, the level, the board,
// game over, and a fresh game at the start of each round. Runs before the frame's update.
void scriptFrameState(int frame);

// Queues the events of one frame's poll on the scripted window: keys going down and up, taps,
// button presses and cursor movement.
void queueFrameEvents(int frame);
