#pragma once

struct GLFWwindow;

// A hidden window with an OpenGL 3.3 core debug context (see DebugContext.h) and loaded entry
// points, created once per test process and current on the calling thread. Tests that need a
// display run under Xvfb.
GLFWwindow* testGlContext();

// Reads the colour buffer of the current framebuffer (bottom row first, RGB).
void readPixelsRgb(int width, int height, unsigned char* out);

// Writes an RGB image (top row first) as PNG; returns false when the file cannot be written.
bool writePng(const char* path, int width, int height, const unsigned char* rgbTopFirst);
// Reads a PNG as RGB (top row first); returns false when it cannot be read.
bool readPng(const char* path, int& width, int& height, unsigned char** rgbTopFirst);
void freePng(unsigned char* pixels);
