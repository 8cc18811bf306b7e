#pragma once

// The rules' one visible effect outside the world matrices: the winning click switches blending on
// (source colour, one). The rules include no OpenGL header, so the application shell installs the
// effect; with none installed the call does nothing, which is what tests without a display need.

using BlendingEffect = void (*)();

// Installs the effect; a null effect removes it.
void setBlendingEffect(BlendingEffect enableBlending);
// Runs the installed effect, if any.
void applyBlendingEffect();
