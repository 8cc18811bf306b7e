#pragma once

#include <memory>

#include <glm/glm.hpp>

// The set-up every draw pass shares: camera, projection and spot-light uniforms.

// The spot light's direction: where the player looks, or a fixed direction in testing mode.
glm::vec3 spotDirection();

// The main projection: the tangent of 22.5 (radians) as written, window aspect, near 0.1, far 40.
glm::mat4 sceneProjection(int width, int height);

// The location of a uniform in one of the game's three programs, kept from its first look-up (see
// Shader::uniformLocation); any other program is asked each time.
int uniformLocation(unsigned int program, const char* name);

// Uploads "visibility", updates the camera's view, then uploads the lighting uniforms, "view" and
// "projection" into the program, which must be current.
void uploadPassUniforms(unsigned int program);

// The player's view frustum as the last camera update left it (built before a pass's set-up).
struct Frustum;
Frustum playerFrustum();

// One draw of a pass: a model with the matrix it is drawn with this time.
class Model;
struct DrawEntry {
    std::unique_ptr<Model>* model;
    glm::mat4* matrix;
};

// The view-frustum test of one entry: kept when the sphere of radius 1 at the matrix's translation
// passes, or when its model's bounding sphere carried by the matrix (the centre transformed, the
// radius times the matrix's largest scale) does. A model that was never loaded has only the first.
bool entryInFrustum(const Frustum& frustum, const DrawEntry& entry);

// Uploads the entry's model matrix, copies the texture options into its model and draws it. A
// model that was never loaded draws nothing.
void drawEntry(unsigned int program, const DrawEntry& entry);
