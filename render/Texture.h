#pragma once

#include <string>

// Loads an image file (opened by the unchanged path, relative to the working directory) into a
// mip-mapped 2D texture and returns its name. A missing or unreadable image never crashes: the
// texture is then created with an empty level 0.
//
// Only BMP, JPEG, PNG, TGA and TIFF files are decoded; every other image decoder of the library is
// switched off, so a file of any other format (or one named with a misleading extension) is treated
// as unreadable and never reaches a decoder we do not need. Images wider or taller than
// maxImageSide or the driver's GL_MAX_TEXTURE_SIZE are rejected from their header, before their
// pixels are decoded. Images that are not 24-bit colour are converted to it before the upload.
unsigned int textureFromFile(const char* path, const std::string& directory);

// The largest image side accepted from a file, for model textures and cube-map faces alike.
constexpr int maxImageSide = 8192;

// The image library's explicit start and stop, around the asset set-up's loads and at release.
// Each does nothing when the library is already in that state, so repeated set-ups and releases
// stay balanced; loading a texture outside them still works on the library's own start-up.
void startImageLibrary();
void stopImageLibrary();

// While the decode cache is open, textureFromFile keeps every decoded image, so a file named by
// several models is decoded once; each call still creates its own GL texture. Closing the cache
// frees the kept images. The asset set-up opens it around the model loads.
void beginImageDecodeCache();
void endImageDecodeCache();

// Sets the minifying and magnifying filters of the texture bound to GL_TEXTURE_2D.
void applySamplingMode(bool nearest, bool mipmapLinear, bool mipmapping);
