#include "scene/DepthPrepass.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

#include "camera/Camera.h"
#include "camera/Settings.h"
#include "render/Assets.h"
#include "render/Model.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

bool depthPrepassEnabled = true;

void drawDepthPrepass() {
    if (!depthShader || !mainShader || !playerCamera) {
        return;
    }
    const unsigned int program = depthShader->programId;
    glUseProgram(program);
    playerCamera->updateView();
    // The depth program computes the same clip position from "lsm" as the main program from its
    // view and projection, up to rounding; the offset keeps its depth behind the main pass's.
    const glm::mat4 viewProjection =
        sceneProjection(windowWidth, windowHeight) * playerCamera->view;
    glUniformMatrix4fv(uniformLocation(program, "lsm"), 1, GL_FALSE,
                       glm::value_ptr(viewProjection));
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 4.0f);
    // Bare geometry, as in the shadow pass; the main pass sets the count again.
    const int count = renderedObjects;
    shadowPassActive = true;
    if (viewFrustumMode) {
        drawSceneCulled(*depthShader);
    } else {
        drawScene(*depthShader);
    }
    // The reflecting objects (the labyrinth covers much of the level-4 floor) hide what lies
    // under them from the main pass as well.
    drawEnvMappedDepth(program);
    shadowPassActive = false;
    renderedObjects = count;
    glDisable(GL_POLYGON_OFFSET_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glUseProgram(mainShader->programId);
}

void endDepthPrepass() {
    glDepthFunc(GL_LESS);
}
