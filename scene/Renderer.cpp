#include "scene/Renderer.h"

#include <GL/glew.h>

#include "render/Assets.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/RenderOptions.h"
#include "scene/ShadowPass.h"

namespace {

void setDefaults(int width, int height) {
    glClearColor(0.45f, 0.45f, 0.45f, 0.1f);
    glViewport(0, 0, width, height);
}

void renderFrame() {
    renderShadowPass();
    prepareMainPass();
    if (viewFrustumMode) {
        if (mainShader) {
            drawSceneCulled(*mainShader);
        }
        drawEnvMappedObjectsCulled();
    } else {
        if (mainShader) {
            drawScene(*mainShader);
        }
        drawEnvMappedObjects();
    }
}

void setWireframe(bool on) {
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
}

void setBlending(bool on) {
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_COLOR, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
}

unsigned int takeError() {
    return glGetError();
}

}  // namespace

const Renderer openGlRenderer = {setDefaults,  setupAssets, releaseAssets, renderFrame,
                                 setWireframe, setBlending, takeError};

Renderer renderer = openGlRenderer;
