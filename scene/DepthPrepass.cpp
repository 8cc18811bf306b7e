#include "scene/DepthPrepass.h"

#include <GL/glew.h>

#include "render/Assets.h"
#include "render/Model.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

bool depthPrepassEnabled = true;

namespace {
bool stencilPresent = false;
}  // namespace

void readWindowStencil() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // A buffer the default framebuffer lacks answers only the object type (none); asking its size
    // would be an error.
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    GLint bits = 0;
    if (type != GL_NONE) {
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                              GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &bits);
    }
    stencilPresent = bits > 0;
}

bool windowHasStencil() {
    return stencilPresent;
}

void drawDepthPrepass() {
    if (!mainDepthOnlyShader || !envDepthOnlyShader || !mainShader) {
        return;
    }
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    // Every pixel where a surface passes the depth test is marked 1. A surface whose depth rounds
    // to the cleared 1.0 (at the far plane) passes no "less" test and leaves its pixel unmarked,
    // so the main pass, which needs the mark, leaves that pixel as it would without the pre-pass.
    glStencilMask(0xFF);
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
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
    // "less or equal" would let each later one paint over it. Only a marked pixel paints, and the
    // first fragment at the laid-down depth moves the mark on, so that one alone paints: the one
    // "less" keeps.
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    glUseProgram(mainShader->programId);
}

void endDepthPrepass() {
    glDisable(GL_STENCIL_TEST);
    glDepthFunc(GL_LESS);
}
