#include "scene/DepthPrepass.h"

#include <GL/glew.h>

#include "render/Assets.h"
#include "render/Model.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

bool depthPrepassEnabled = true;

void drawDepthPrepass() {
    if (!mainDepthOnlyShader || !envDepthOnlyShader || !mainShader) {
        return;
    }
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    // Bare geometry, as in the shadow pass; the main pass sets the count again.
    const int count = renderedObjects;
    shadowPassActive = true;
    // The main program's own vertex stage, given every uniform the main pass uploads (camera,
    // projection, lighting and each model matrix), computes the very clip positions of the main
    // pass, so no offset is needed between the two.
    // Culled whatever the option says: an object wholly outside the view leaves no depth, and the
    // culling test only ever drops those.
    drawSceneCulled(*mainDepthOnlyShader);
    // The reflecting objects (the labyrinth covers much of the level-4 floor) hide what lies
    // under them from the main pass as well; they go through the environment program's vertex
    // stage, as they do in their own pass.
    const unsigned int envProgram = envDepthOnlyShader->programId;
    glUseProgram(envProgram);
    uploadPassUniforms(envProgram);
    drawEnvMappedDepth(envProgram);
    shadowPassActive = false;
    renderedObjects = count;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    // Where two surfaces lie at exactly the same depth, "less" keeps the first one drawn, while
    // "less or equal" would let each later one paint over it. The stencil lets only the first
    // fragment at the laid-down depth paint each pixel, which is the one "less" keeps.
    glStencilMask(0xFF);
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_EQUAL, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    glUseProgram(mainShader->programId);
}

void endDepthPrepass() {
    glDisable(GL_STENCIL_TEST);
    glDepthFunc(GL_LESS);
}
