#pragma once

// Set once the cube map has been built by the one-time sky-box draw; shared by both variants.
extern bool envCubeMapLoaded;

// Draws the objects that reflect the cube map with the environment-mapping program: the
// environment cube in every frame (not counted) and, in level 4, the first plate, the test object
// and the labyrinth (counted). The first call of either variant builds the cube map.
void drawEnvMappedObjects();

// The same pass with every object guarded by the view-frustum sphere test.
void drawEnvMappedObjectsCulled();

// The same objects as bare geometry with the current (depth-only) program, for the depth
// pre-pass: neither counted nor set up, and the cube map is not touched.
void drawEnvMappedDepth(unsigned int program);
