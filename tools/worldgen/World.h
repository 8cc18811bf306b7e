#pragma once

#include <string>
#include <vector>

#include "Geometry.h"

// One model file of the game: its name under Meshes/ (without ".obj") and its geometry.
struct WorldModel {
    std::string name;
    Shape shape;
};

// The 36 model files the game loads.
std::vector<WorldModel> buildWorldModels();

// Writes Meshes/, Textures/ and the cube-map image under `directory` (which must exist), and
// removes any other file from those two folders.
// Returns the relative paths written, in order; on a write failure `error` names the file and
// the list is incomplete.
std::vector<std::string> writeWorld(const std::string& directory, std::string& error);
