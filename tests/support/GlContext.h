#pragma once

struct GLFWwindow;

// A hidden window with an OpenGL 3.3 core debug context (see DebugContext.h) and loaded entry
// points, created once per test process and current on the calling thread. Tests that need a
// display run under Xvfb.
GLFWwindow* testGlContext();

// Ends the program when VELMORA_GL_RENDERER names a driver and the current context's renderer
// string does not hold it, so that tests meant for a second driver cannot pass on the first one
// unnoticed (Mesa may fall back to another driver when the one asked for cannot start).
void refuseOtherDriver();

// Ends what the test program opened, while the process can still wait for the driver: the game's
// rendering objects while their context is current, then every window and the window system. A
// driver that compiles shaders on its own threads (zink on lavapipe) may otherwise still be at
// work when the process's exit tears it down. Does nothing when the window system is not started
// (never, or a test ended it already).
void closeGlContexts();

// Reads the colour buffer of the current framebuffer (bottom row first, RGB).
void readPixelsRgb(int width, int height, unsigned char* out);

// Writes an RGB image (top row first) as PNG; returns false when the file cannot be written.
bool writePng(const char* path, int width, int height, const unsigned char* rgbTopFirst);
// Reads a PNG as RGB (top row first); returns false when it cannot be read.
bool readPng(const char* path, int& width, int& height, unsigned char** rgbTopFirst);
void freePng(unsigned char* pixels);
