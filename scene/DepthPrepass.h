#pragma once

// Lays down the depth of the main pass before it shades anything, so that the main program runs
// about once per pixel instead of once per surface drawn there. On a software rasteriser shading
// is nearly the whole cost of a frame and the house alone covers the window, so this takes most
// of the overdraw out of the frame. The picture is the same: the depth-only program writes depth
// a hair farther away (polygon offset), the main pass then tests with "less or equal" and only
// the nearest surface of each pixel passes. Nothing of it reaches the console or the uniforms the
// main programs see.

// On unless blending or wireframe is on; tests and the benchmark switch it to compare.
extern bool depthPrepassEnabled;

// Draws the same objects as the main pass (culled when culling is on) with the depth program,
// colour writes off; leaves the depth test at "less or equal" for the main pass.
void drawDepthPrepass();

// Puts the depth test back to "less" after the main and environment passes.
void endDepthPrepass();
