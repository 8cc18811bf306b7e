#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input drives the loading path of the game's data files. Its first byte picks what the
// rest is:
//   0: a model: its OBJ text, its material library and the image the library names, separated by
//      lines "--velmora-part--"; written as Meshes/model.obj, Meshes/model.mtl and
//      Textures/image.png, loaded as a Model and drawn in the main and the shadow pass;
//   1: a texture image, loaded through textureFromFile;
//   2: a sky image, loaded as all six faces of a cube map.
// Everything the input creates on the GPU is deleted again, so millions of inputs fit in memory.

// Creates the hidden window and context, a scratch working directory and the drawing program, and
// silences the console. Returns false when there is no display.
bool prepareAssetFuzzing();

void loadFuzzInput(const std::uint8_t* data, std::size_t size);
