#include "scene/Renderer.h"

#include <GL/glew.h>

#include "render/Assets.h"
#include "scene/DepthPrepass.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/PassObserver.h"
#include "scene/RenderOptions.h"
#include "scene/ShadowPass.h"

const PassObserver* passObserver = nullptr;

namespace {

void beginPass(FramePass pass) {
    if (passObserver != nullptr) {
        passObserver->begin(pass);
    }
}

void endPass(FramePass pass) {
    if (passObserver != nullptr) {
        passObserver->end(pass);
    }
}

// Blending and wireframe as last set through this table; with either on, every surface drawn
// shows in the picture, so the depth pre-pass (which keeps only the nearest) is left out.
bool blendingOn = false;
bool wireframeOn = false;

void setDefaults(int width, int height) {
    glClearColor(0.45f, 0.45f, 0.45f, 0.1f);
    glViewport(0, 0, width, height);
    readWindowStencil();
}

void renderFrame() {
    beginPass(FramePass::shadow);
    renderShadowPass();
    endPass(FramePass::shadow);
    // The window's clear and the main program's shadow set-up count to the main pass.
    beginPass(FramePass::main);
    prepareMainPass();
    endPass(FramePass::main);
    const bool prepass = depthPrepassEnabled && windowHasStencil() && !blendingOn && !wireframeOn;
    if (prepass) {
        beginPass(FramePass::depthPrepass);
        drawDepthPrepass();
        endPass(FramePass::depthPrepass);
    }
    beginPass(FramePass::main);
    if (mainShader) {
        viewFrustumMode ? drawSceneCulled(*mainShader) : drawScene(*mainShader);
    }
    endPass(FramePass::main);
    beginPass(FramePass::environment);
    viewFrustumMode ? drawEnvMappedObjectsCulled() : drawEnvMappedObjects();
    endPass(FramePass::environment);
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
