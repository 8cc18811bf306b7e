#pragma once

// Lays down the depth of the main pass before it shades anything, so that the main program runs
// about once per pixel instead of once per surface drawn there. On a software rasteriser shading
// is nearly the whole cost of a frame and the house alone covers the window, so this takes most
// of the overdraw out of the frame. The picture is the same: the depth-only programs run the vertex
// stages of the main and the environment program (declared invariant) on the same uniforms with a
// fragment stage of their own that writes nothing, so they lay down exactly the depth those passes
// compute (the main passes' fragment stages write no depth and discard nothing either). The main
// pass then tests with "less or equal" where the pre-pass marked the stencil, so only the nearest
// surface of each pixel passes (of surfaces at exactly equal depth, the first drawn, as without the
// pre-pass), and nothing at the far plane's depth does. Nothing of it reaches the console or the
// uniforms the main programs see.

// On unless blending or wireframe is on; tests and the benchmark switch it to compare.
extern bool depthPrepassEnabled;

// The pre-pass needs a stencil buffer (above) that the window system may not have given. Reads the
// stencil bits of the window's framebuffer (its context current) and remembers whether there are
// any; without, the frames are drawn without the pre-pass, as written.
void readWindowStencil();
bool windowHasStencil();

// Draws the same objects as the main and the environment pass (culled when culling is on) with the
// depth-only programs, colour writes off; leaves the depth test at "less or equal" and the stencil
// test on for the main pass.
void drawDepthPrepass();

// Puts the depth test back to "less" and the stencil test off after the main and environment
// passes.
void endDepthPrepass();
