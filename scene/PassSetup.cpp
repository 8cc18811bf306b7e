#include "scene/PassSetup.h"

#include <cmath>

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "render/Assets.h"
#include "render/ClipCulling.h"
#include "render/Model.h"
#include "scene/Frustum.h"
#include "scene/RenderOptions.h"
#include "scene/ShadowPass.h"

namespace {
// Fixed light direction of the testing mode, used for checking shadows.
const glm::vec3 testingDirection(-0.408977f, -0.0f, -0.9125f);

// The program the last pass set up and the clip-from-world matrix its vertex stage applies: the
// light's for the depth program, the camera's for the others. Each draw of that pass carries it
// into its model's coordinates, so meshes can leave out what the clip volume drops.
unsigned int clipProgram = 0;
glm::mat4 clipFromWorld(1.0f);
}  // namespace

int uniformLocation(unsigned int program, const char* name) {
    return programUniformLocation(program, name);
}

glm::vec3 spotDirection() {
    if (testingMode) {
        return testingDirection;
    }
    return playerCamera ? playerCamera->front : glm::vec3(0.0f, 0.0f, -1.0f);
}

glm::mat4 sceneProjection(int width, int height) {
    constexpr float nearPlane = 0.1f;
    constexpr float farPlane = 40.0f;
    // 22.5 taken as radians gives a vertical field of view of about 58.3 degrees.
    const float t = std::tan(22.5f);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    glm::mat4 p(0.0f);
    p[0][0] = 1.0f / (aspect * t);
    p[1][1] = 1.0f / t;
    p[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    p[2][3] = -1.0f;
    p[3][2] = -2.0f * farPlane * nearPlane / (farPlane - nearPlane);
    return p;
}

void uploadPassUniforms(unsigned int program) {
    glUniform1f(uniformLocation(program, "visibility"), visibility);
    if (playerCamera) {
        playerCamera->updateView();
    }
    const glm::mat4 projection = sceneProjection(windowWidth, windowHeight);
    const glm::vec3 lightPosition = spotLight ? spotLight->position : glm::vec3(0.0f);
    const glm::vec3 eye = playerCamera ? playerCamera->position : glm::vec3(0.0f);
    const glm::mat4 view = playerCamera ? playerCamera->view : glm::mat4(1.0f);
    const glm::vec3 direction = spotDirection();

    glUniform3f(uniformLocation(program, "objectColor"), 1.0f, 0.5f, 0.31f);
    glUniform3f(uniformLocation(program, "lightColor"), 1.0f, 1.0f, 1.0f);
    glUniform3f(uniformLocation(program, "lightPos"), lightPosition.x, lightPosition.y,
                lightPosition.z);
    glUniform3f(uniformLocation(program, "viewPos"), eye.x, eye.y, eye.z);
    glUniform3f(uniformLocation(program, "direction"), direction.x, direction.y, direction.z);
    // The cosines of the spot cone's half-angles (30.5, 7.5 and 3.5 degrees), largest first.
    glUniform1f(uniformLocation(program, "cutOff"), std::cos(0.5323254f));
    glUniform1f(uniformLocation(program, "cutOff2"), std::cos(0.1308997f));
    glUniform1f(uniformLocation(program, "cutOff3"), std::cos(0.0610865f));
    glUniformMatrix4fv(uniformLocation(program, "view"), 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(uniformLocation(program, "projection"), 1, GL_FALSE,
                       glm::value_ptr(projection));
    clipProgram = program;
    const bool lightView = depthShader && program == depthShader->programId;
    clipFromWorld = lightView ? lightSpaceMatrix : projection * view;
}

Frustum playerFrustum() {
    const glm::vec3 eye = playerCamera ? playerCamera->position : glm::vec3(0.0f);
    const glm::vec3 front = playerCamera ? playerCamera->front : glm::vec3(0.0f, 0.0f, -1.0f);
    return buildFrustum(eye, front, windowWidth, windowHeight);
}

bool entryInFrustum(const Frustum& frustum, const DrawEntry& entry) {
    const glm::mat4& matrix = *entry.matrix;
    // A sphere of radius 1 at the matrix's translation, whatever the model, is what culling keeps.
    if (sphereInFrustum(frustum, glm::vec3(matrix[3]), 1.0f)) {
        return true;
    }
    if (!*entry.model) {
        return false;
    }
    // The model's own sphere keeps what reaches further than a unit from its origin (the maze,
    // the sculptures), which the written sphere alone would cull while still in view.
    const BoundingSphere& bounds = (*entry.model)->bounds;
    const glm::vec3 centre(matrix * glm::vec4(bounds.centre, 1.0f));
    return sphereInFrustum(frustum, centre, bounds.radius * largestAxisScale(matrix));
}

void drawEntry(unsigned int program, const DrawEntry& entry) {
    if (!*entry.model) {
        return;
    }
    Model& model = **entry.model;
    glUniformMatrix4fv(uniformLocation(program, "tModel"), 1, GL_FALSE,
                       glm::value_ptr(*entry.matrix));
    model.nearest = nearestNeighborMode;
    model.mipmapping = mipMapping;
    model.mipmapLinear = mipMapLinear;
    if (program != 0 && program == clipProgram) {
        const ClipVolume clip = clipVolumeOf(clipFromWorld * *entry.matrix);
        model.draw(program, &clip);
    } else {
        model.draw(program);
    }
}
