#pragma once

#include <string>

// Reads the window's back buffer and writes it as a PNG, top row first. For the screenshot tool
// and the picture tests; the game itself never calls it. False when the file cannot be written.
bool saveFramebufferPng(const std::string& path, int width, int height);
