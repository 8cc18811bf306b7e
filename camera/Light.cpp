#include "camera/Light.h"

#include "camera/Camera.h"
#include "camera/Settings.h"

std::unique_ptr<Light> spotLight;

Light::Light(const glm::vec3& initialPosition, bool initialHeightLocked)
    : position(initialPosition), heightLocked(initialHeightLocked) {}

void followPlayerLight() {
    if (testingMode || !spotLight || !playerCamera) {
        return;
    }
    const glm::vec3 eye = playerCamera->position;
    spotLight->position.x = eye.x;
    if (!spotLight->heightLocked) {
        spotLight->position.y = eye.y - 0.2f;
    }
    spotLight->position.z = eye.z;
}
