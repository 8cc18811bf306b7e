#pragma once

// The shadow pass renders into this framebuffer, whose only attachment is a 900 x 900 depth
// texture set up for hardware depth comparison.
extern unsigned int shadowMapFbo;
extern unsigned int shadowMapTexture;
constexpr int shadowMapSize = 900;
// The texture unit the main pass binds the shadow map on; the mesh draw numbers the units of a
// material's images from 0, so a material may name one image only.
constexpr int shadowMapUnit = 1;

// Creates both once, at the end of the asset set-up. An incomplete framebuffer is fatal.
void creatDeathTexture();
