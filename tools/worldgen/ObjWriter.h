#pragma once

#include <string>

#include "Geometry.h"

// Writes `directory`/`name`.obj and its material library `directory`/`name`.mtl. Every material of
// the shape names the image "Textures/<material>.png" as its diffuse map (the game opens images
// relative to its working directory). Numbers have a fixed format, so equal shapes give equal
// bytes. Returns false when a file cannot be written.
bool writeObj(const std::string& directory, const std::string& name, const Shape& shape);

// The text of both files, for writing and for tests.
std::string objText(const std::string& name, const Shape& shape);
std::string mtlText(const Shape& shape);
