#include "game/Statues.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

// Half-angle of the view cone within which a statue counts as watched (40.5 degrees).
constexpr float viewCone = 0.70685834f;
constexpr float blockingDistance = 0.25f;

bool tooClose(const glm::vec3& a, const glm::vec3& b) {
    const float dx = std::fabs(a.x - b.x);
    const float dz = std::fabs(a.z - b.z);
    return dx > 0.0f && dx < blockingDistance && dz > 0.0f && dz < blockingDistance;
}

// The step is taken in the statue's own model space, so the statue's scale shrinks it. The
// direction is normalised in three dimensions, but the statue never leaves its height.
void stepTowards(glm::mat4& statue, const glm::vec3& target, float dt) {
    const glm::vec3 toward = target - positionOf(statue);
    if (glm::length(toward) == 0.0f) {
        return;
    }
    const glm::vec3 m = glm::normalize(toward);
    const double secondsPerUnit = 3.5 / static_cast<double>(boxChaseClicks + 1);
    const float x = static_cast<float>(static_cast<double>(m.x) / secondsPerUnit * dt);
    const float z = static_cast<float>(static_cast<double>(m.z) / secondsPerUnit * dt);
    statue = glm::translate(statue, glm::vec3(x, 0.0f, z));
}

void setPosition(glm::mat4& model, const glm::vec3& position) {
    model[3] = glm::vec4(position, model[3].w);
}

}  // namespace

void moveStatues(float dt) {
    if (!playerCamera || !spotLight) {
        return;
    }
    const glm::vec3 eye = playerCamera->position;
    const glm::vec3 back = -playerCamera->front / glm::length(playerCamera->front);
    const float cosCone = std::cos(viewCone);

    const glm::vec3 s1 = positionOf(statue1Transform);
    const glm::vec3 s2 = positionOf(statue2Transform);
    if (cosCone > glm::dot(glm::normalize(eye - s1), back)) {
        stepTowards(statue1Transform, eye, dt);
        if (tooClose(positionOf(statue1Transform), s2)) {
            setPosition(statue1Transform, s1);
        }
    }

    // Statue 2 is judged from the light the player carries, but walks towards the eye.
    const glm::vec3 s1Now = positionOf(statue1Transform);
    const glm::vec3 s2Before = positionOf(statue2Transform);
    if (cosCone > glm::dot(glm::normalize(spotLight->position - s2Before), back)) {
        stepTowards(statue2Transform, eye, dt);
        if (tooClose(positionOf(statue2Transform), s1Now)) {
            setPosition(statue2Transform, s2Before);
        }
    }
}
