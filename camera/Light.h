#pragma once

#include <memory>

#include <glm/glm.hpp>

// The one spot light, carried by the player and the eye of the shadow pass.
class Light {
public:
    Light(const glm::vec3& initialPosition, bool initialHeightLocked);

    glm::vec3 position{0.0f, 0.0f, 1.5f};
    // While true the light keeps its height instead of following the camera's (lowered stance).
    bool heightLocked = false;
};

// Owner of the light record, filled by the asset set-up and emptied at shut-down.
extern std::unique_ptr<Light> spotLight;

// Moves the light to the player camera, 0.2 below the eye; in testing mode it never moves.
void followPlayerLight();
