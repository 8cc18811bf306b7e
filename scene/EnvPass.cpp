#include "scene/EnvPass.h"

#include <string>
#include <vector>

#include <GL/glew.h>

#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Assets.h"
#include "render/Cubemap.h"
#include "scene/Frustum.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

bool envCubeMapLoaded = false;

namespace {

const DrawEntry level4Reflecting[] = {
    {&plate1Model, &plate1Transform},
    {&testModel, &testTransform},
    {&labyrinthModel, &labyrinthTransform},
};

// Visibility of an object; without culling everything is visible.
using VisibilityTest = bool (*)(const Frustum& frustum, const DrawEntry& entry);

bool alwaysVisible(const Frustum&, const DrawEntry&) {
    return true;
}

bool insideFrustum(const Frustum& frustum, const DrawEntry& entry) {
    return entryInFrustum(frustum, entry);
}

// The environment cube, then in level 4 the plate, the test object and the labyrinth; counted
// when asked to (the environment cube never is).
void drawReflectingObjects(unsigned int program, const Frustum& frustum, VisibilityTest isVisible,
                           bool count) {
    const DrawEntry cube = {&envCubeModel, &envCubeTransform};
    if (isVisible(frustum, cube)) {
        drawEntry(program, cube);
    }
    if (currentLevel != 4) {
        return;
    }
    for (const DrawEntry& object : level4Reflecting) {
        if (isVisible(frustum, object)) {
            drawEntry(program, object);
            renderedObjects += count ? 1 : 0;
        }
    }
}

void drawEnvironmentPass(unsigned int program, const Frustum& frustum, VisibilityTest isVisible) {
    uploadPassUniforms(program);
    // The cube map is built in the first frame only, before any reflecting object is drawn,
    // whatever the culling decides.
    if (!envCubeMapLoaded) {
        const std::vector<std::string> faces(6, "Textures/newkeystuff.jpg");
        drawSkybox(faces);
        envCubeMapLoaded = true;
    }
    drawReflectingObjects(program, frustum, isVisible, true);
}

unsigned int useEnvironmentProgram() {
    const unsigned int program = envMapShader ? envMapShader->programId : 0;
    glUseProgram(program);
    return program;
}

}  // namespace

void drawEnvMappedObjects() {
    const unsigned int program = useEnvironmentProgram();
    drawEnvironmentPass(program, Frustum{}, alwaysVisible);
}

void drawEnvMappedObjectsCulled() {
    const unsigned int program = useEnvironmentProgram();
    const Frustum frustum = playerFrustum();
    drawEnvironmentPass(program, frustum, insideFrustum);
}

void drawEnvMappedDepth(unsigned int program) {
    if (viewFrustumMode) {
        const Frustum frustum = playerFrustum();
        drawReflectingObjects(program, frustum, insideFrustum, false);
    } else {
        drawReflectingObjects(program, Frustum{}, alwaysVisible, false);
    }
}
