#pragma once

// Options the draw passes read, switched at run time by the arrow and function keys.

// Textures sampled nearest-neighbour instead of bilinear.
extern bool nearestNeighborMode;
// Mip-mapped minification on; with mipMapLinear, blended between levels.
extern bool mipMapping;
extern bool mipMapLinear;
// The frame uses the culled draw passes.
extern bool viewFrustumMode;
// Brightness factor, 1 to 10 in steps of 1, uploaded as "visibility".
extern float visibility;
// Objects drawn by the last main pass plus its environment-mapped pass.
extern int renderedObjects;
