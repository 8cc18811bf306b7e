#pragma once

#include <string>

// Reads the window's colour buffer and writes it as a PNG (top row first). False on failure.
bool writeWindowPng(const std::string& path, int width, int height);
