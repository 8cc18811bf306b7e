#pragma once

#include <string>

// Loads an image file (opened by the unchanged path, relative to the working directory) into a
// mip-mapped 2D texture and returns its name. A missing or unreadable image never crashes.
unsigned int textureFromFile(const char* path, const std::string& directory);

// Sets the minifying and magnifying filters of the texture bound to GL_TEXTURE_2D.
void applySamplingMode(bool nearest, bool mipmapLinear, bool mipmapping);
