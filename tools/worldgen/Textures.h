#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "Image.h"

// The images the materials name, by material name ("wood" -> "Textures/wood.png").
struct TextureImage {
    std::string material;
    Image image;
};
std::vector<TextureImage> paintTextures();

// The cube-map picture: a sky over a horizon, used for all six faces of the reflections.
Image paintSky();

// Flat colours of the "palette" image, one square swatch each.
enum Swatch {
    kRed = 0,
    kBlue,
    kYellow,
    kBrass,
    kSteel,
    kSkin,
    kTeal,
    kVisor,
    kGlowCyan,
    kLeaf,
    kPetal,
    kPollen,
    kGlowRed,
    kWhite,
    kFelt,
    kLeather,
    kSwatchCount
};
// Texture coordinates of the centre of a swatch.
glm::vec2 swatchUv(Swatch swatch);
// The colour painted into a swatch (for tests and previews).
glm::vec3 swatchColour(Swatch swatch);

// The sliding-tile picture is a 3 x 3 grid of cells; cell (row, column) counts from the top left
// of the picture as a person sees it when the board is solved.
glm::vec2 pictureUv(int row, int column, glm::vec2 withinCell);
