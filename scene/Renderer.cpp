#include "scene/Renderer.h"

#include <GL/glew.h>

#include "render/Assets.h"
#include "scene/DepthPrepass.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/RenderOptions.h"
#include "scene/ShadowPass.h"

namespace {

// Blending and wireframe as last set through this table; with either on, every surface drawn
// shows in the picture, so the depth pre-pass (which keeps only the nearest) is left out.
bool blendingOn = false;
bool wireframeOn = false;

void setDefaults(int width, int height) {
    glClearColor(0.45f, 0.45f, 0.45f, 0.1f);
    glViewport(0, 0, width, height);
}

void renderFrame() {
    renderShadowPass();
    prepareMainPass();
    const bool prepass = depthPrepassEnabled && !blendingOn && !wireframeOn;
    if (prepass) {
        drawDepthPrepass();
    }
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
    if (prepass) {
        endDepthPrepass();
    }
}

void setWireframe(bool on) {
    wireframeOn = on;
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
}

void setBlending(bool on) {
    blendingOn = on;
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
