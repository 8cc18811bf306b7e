#pragma once

#include <string>

#include "Geometry.h"

// The material of surfaces that only the environment-mapping pass draws: it names no image, since
// that pass binds no textures of its own (the reflection comes from the cube map).
inline constexpr const char* kMirrorMaterial = "mirror";

// Writes `directory`/`name`.obj and its material library `directory`/`name`.mtl. Every material of
// the shape but the mirror names the image "Textures/<material>.png" as its diffuse map (the game
// opens images relative to its working directory). Numbers have a fixed format, so equal shapes
// give equal bytes. Returns false when a file cannot be written.
bool writeObj(const std::string& directory, const std::string& name, const Shape& shape);

// The text of both files, for writing and for tests.
std::string objText(const std::string& name, const Shape& shape);
std::string mtlText(const Shape& shape);
