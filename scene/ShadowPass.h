#pragma once

#include <glm/glm.hpp>

// Light projection times light view of the current frame; uploaded as "lsm" to the depth program.
extern glm::mat4 lightSpaceMatrix;

// Maps clip coordinates -1..1 to texture coordinates 0..1.
extern const glm::mat4 biasMatrix;

// The light's perspective: the tangent of 45 (radians) as written, aspect 1, near 0.001, far 20.
glm::mat4 lightProjection();

// Depth offset of the shadow pass, grown with the share of the view direction along x (factor)
// and along z (units); both lie between 4.5 and 9.
struct PolygonOffset {
    float factor = 0.0f;
    float units = 0.0f;
};
PolygonOffset polygonOffsetFor(const glm::vec3& front);

// Renders the scene's depth from the spot light into the 900 x 900 shadow map.
void renderShadowPass();

// Binds the window framebuffer and gives the main program the shadow map on unit 1, "pcf" and the
// biased light matrix "M_VL_PL_L".
void prepareMainPass();
