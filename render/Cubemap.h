#pragma once

#include <string>
#include <vector>

// Builds a cube map from six face images (+X, -X, +Y, -Y, +Z, -Z) and returns its name, left
// bound to GL_TEXTURE_CUBE_MAP of the active unit. A face that fails is reported and skipped.
unsigned int loadCubemap(std::vector<std::string> faces);

// Places the second camera, builds the cube map, binds it on unit 0 and draws the 36-vertex sky
// box once. Returns with unit 0 active and no vertex array bound. It has no guard of its own.
void drawSkybox(std::vector<std::string> faces);
