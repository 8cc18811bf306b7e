#pragma once

// Lays down the depth of the main pass before it shades anything, so that the main program runs
// about once per pixel instead of once per surface drawn there. On a software rasteriser shading
// is nearly the whole cost of a frame and the house alone covers the window, so this takes most
// of the overdraw out of the frame. The picture is the same: the depth-only programs run the vertex
// stages of the main and the environment program (declared invariant) on the same uniforms, so
// they write exactly the depth those passes compute; the main pass then tests with "less or equal"
// and only the nearest surface of each pixel passes (of surfaces at exactly equal depth, the first
// drawn, through the stencil, as without the pre-pass). Nothing of it reaches the console or the
// uniforms the main programs see.

// On unless blending or wireframe is on; tests and the benchmark switch it to compare.
extern bool depthPrepassEnabled;

// Draws the same objects as the main and the environment pass (culled when culling is on) with the
// depth-only programs, colour writes off; leaves the depth test at "less or equal" and the stencil
// test on for the main pass.
void drawDepthPrepass();

// Puts the depth test back to "less" and the stencil test off after the main and environment
// passes.
void endDepthPrepass();
