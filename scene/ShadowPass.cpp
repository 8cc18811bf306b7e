#include "scene/ShadowPass.h"

#include <algorithm>
#include <cmath>

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "render/Assets.h"
#include "render/Model.h"
#include "render/ShadowTarget.h"
#include "scene/DrawPass.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

glm::mat4 lightSpaceMatrix(1.0f);

const glm::mat4 biasMatrix(0.5f, 0.0f, 0.0f, 0.0f,  //
                           0.0f, 0.5f, 0.0f, 0.0f,  //
                           0.0f, 0.0f, 0.5f, 0.0f,  //
                           0.5f, 0.5f, 0.5f, 1.0f);

namespace {
// 45 taken as radians: a vertical opening of about 116.6 degrees. Computed once, before the loop.
const float lightTangent = std::tan(45.0f);
}  // namespace

glm::mat4 lightProjection() {
    constexpr float nearPlane = 0.001f;
    constexpr float farPlane = 20.0f;
    glm::mat4 p(0.0f);
    p[0][0] = 1.0f / lightTangent;
    p[1][1] = 1.0f / lightTangent;
    p[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    p[2][3] = -1.0f;
    p[3][2] = -2.0f * farPlane * nearPlane / (farPlane - nearPlane);
    return p;
}

PolygonOffset polygonOffsetFor(const glm::vec3& front) {
    const float fx = std::fabs(front.x);
    const float fz = std::fabs(front.z);
    const float length = std::sqrt(fx * fx + fz * fz);
    PolygonOffset offset;
    offset.factor = 9.0f * std::max(0.5f, fx / length);
    offset.units = 9.0f * std::max(0.5f, fz / length);
    return offset;
}

void renderShadowPass() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    const glm::vec3 front = playerCamera ? playerCamera->front : glm::vec3(0.0f, 0.0f, -1.0f);
    const PolygonOffset offset = polygonOffsetFor(front);
    glPolygonOffset(offset.factor, offset.units);
    // Face culling is never enabled: this only sets the mode, and every face is drawn.
    glCullFace(GL_FRONT);

    const unsigned int program = depthShader ? depthShader->programId : 0;
    glUseProgram(program);
    // The light looks where the player looks (or along the fixed testing direction).
    const glm::vec3 eye = spotLight ? spotLight->position : glm::vec3(0.0f);
    const glm::mat4 lightView =
        glm::lookAt(eye, eye + spotDirection(), glm::vec3(0.0f, 1.0f, 0.0f));
    lightSpaceMatrix = lightProjection() * lightView;
    glUniformMatrix4fv(uniformLocation(program, "lsm"), 1, GL_FALSE,
                       glm::value_ptr(lightSpaceMatrix));

    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    glViewport(0, 0, shadowMapSize, shadowMapSize);
    glClear(GL_DEPTH_BUFFER_BIT);
    shadowPassActive = true;
    if (!depthShader) {
        return;
    }
    if (viewFrustumMode) {
        drawSceneCulled(*depthShader);
    } else {
        drawScene(*depthShader);
    }
}

void prepareMainPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, windowWidth, windowHeight);
    glDisable(GL_POLYGON_OFFSET_FILL);

    const unsigned int program = mainShader ? mainShader->programId : 0;
    glUseProgram(program);
    // Unit 1 stays active when the draws begin; each mesh selects its own units from 0.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, shadowMapTexture);
    glUniform1i(uniformLocation(program, "shadowMap"), 1);
    glCullFace(GL_BACK);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glUniform1i(uniformLocation(program, "pcf"), 1);
    const glm::mat4 biasedLightMatrix = biasMatrix * lightSpaceMatrix;
    glUniformMatrix4fv(uniformLocation(program, "M_VL_PL_L"), 1, GL_FALSE,
                       glm::value_ptr(biasedLightMatrix));
    shadowPassActive = false;
}
