// What a strict driver holds against the rendering resources, on the real asset set-up (real
// shaders, real data): the shadow framebuffer names no colour buffer to draw or to read, and its
// depth texture compares; the main program's two samplers sit on their own units from the moment
// it is built, so it draws before any pass without an error; and a surface without normals comes
// out as a finite colour that no light reaches and that reflects nothing, in both lit programs.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render_fixtures.h"
#include "render/Assets.h"
#include "render/Mesh.h"
#include "render/ShadowTarget.h"
#include "support/GlContext.h"

namespace {

class StrictDrivers : public fixture::GlTest {
protected:
    static void SetUpTestSuite() {
        testGlContext();
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(VELMORA_RUN_DIR);
        setupAssets(testGlContext());
        std::filesystem::current_path(previous);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    static void TearDownTestSuite() {
        releaseAssets();
        labyrinthModel.reset();
    }
};

TEST_F(StrictDrivers, ShadowTargetHasNoColourBufferAndMainProgramDrawsBeforeAnyPass) {
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_READ_BUFFER), GL_NONE);
    EXPECT_EQ(glCheckFramebufferStatus(GL_READ_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    // The shadow lookup's comparison is the target's own.
    glBindTexture(GL_TEXTURE_2D, shadowMapTexture);
    EXPECT_EQ(fixture::queried(glGetTexParameteriv, GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE),
              GL_COMPARE_REF_TO_TEXTURE);
    EXPECT_EQ(fixture::queried(glGetTexParameteriv, GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC),
              GL_LESS);
    glBindTexture(GL_TEXTURE_2D, 0);

    // Two sampler types on one unit is what validation and the draw both refuse.
    const GLuint program = mainShader->programId;
    EXPECT_EQ(fixture::queried(glGetUniformiv, program,
                               glGetUniformLocation(program, "texture_diffuse1")),
              0);
    EXPECT_EQ(fixture::queried(glGetUniformiv, program, glGetUniformLocation(program, "shadowMap")),
              1);
    glValidateProgram(program);
    EXPECT_EQ(fixture::queried(glGetProgramiv, program, GL_VALIDATE_STATUS), GL_TRUE);
    fixture::Target target(32, 32);
    glUseProgram(program);
    houseModel->draw();
}

constexpr int side = 8;

const glm::vec3 objectColour(1.0f, 0.5f, 0.31f);

// The torch right in front of the quad, pointing at it, the house fully lit (visibility 10), and
// every matrix the identity, so the quad covers the target. The light-space matrix puts every
// fragment outside the shadow map, where the light reaches it in full.
void lightTheQuad(GLuint program) {
    const glm::mat4 identity(1.0f);
    const glm::vec3 front(0.0f, 0.0f, 2.0f);
    fixture::uploadLighting(program, {10.0f,
                                      front,
                                      front,
                                      glm::vec3(0.0f, 0.0f, -1.0f),
                                      {0.8f, 0.6f, 0.4f},
                                      glm::translate(identity, glm::vec3(5.0f)),
                                      identity,
                                      identity});
    glUniformMatrix4fv(glGetUniformLocation(program, "tModel"), 1, GL_FALSE,
                       glm::value_ptr(identity));
}

std::vector<glm::vec3> drawnQuad(GLuint program, const glm::vec3& normal) {
    const fixture::Target target(side, side, GL_RGBA32F);
    glDisable(GL_DEPTH_TEST);
    lightTheQuad(program);
    Mesh quad(fixture::screenQuad(normal), fixture::quadIndices, {}, nullptr);
    quad.draw(false, false, false);
    return target.floats();
}

void expectEveryPixel(const std::vector<glm::vec3>& pixels, const glm::vec3& expected) {
    for (const glm::vec3& p : pixels) {
        ASSERT_TRUE(std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b))
            << p.r << " " << p.g << " " << p.b;
        ASSERT_NEAR(p.r, expected.r, 2e-3f);
        ASSERT_NEAR(p.g, expected.g, 2e-3f);
        ASSERT_NEAR(p.b, expected.b, 2e-3f);
    }
}

TEST_F(StrictDrivers, ASurfaceWithoutNormalsTakesNoLightAndReflectsNothing) {
    const glm::vec3 facing(0.0f, 0.0f, 1.0f);
    const glm::vec3 zero(0.0f);

    // The main program over a diffuse image: without a normal only the house's own light, which
    // at visibility 10 is 0.6 of the object-tinted image, and nothing of the torch.
    const glm::vec3 image = glm::vec3(204, 102, 51) / 255.0f;
    glActiveTexture(GL_TEXTURE0);
    const GLuint texture = fixture::solidTexture(204, 102, 51);
    const GLuint main = mainShader->programId;
    const glm::vec3 albedo = image * glm::mix(glm::vec3(1.0f), objectColour, 0.15f);
    expectEveryPixel(drawnQuad(main, zero), albedo * 0.6f);
    // The torch does light the same quad with a normal facing it.
    const glm::vec3 lit = drawnQuad(main, facing)[side * 4 + 4];
    EXPECT_GT(lit.r, albedo.r * 0.6f + 0.2f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);

    // The environment program over a sky-blue cube map: without a normal it reflects black, and
    // keeps only its own tenth of the object colour at the house's light of 0.7.
    const GLuint cube = fixture::solidTexture(51, 153, 255, GL_TEXTURE_CUBE_MAP);
    const GLuint env = envMapShader->programId;
    expectEveryPixel(drawnQuad(env, zero), 0.1f * objectColour * 0.7f);
    // With a normal it shows the sky.
    const glm::vec3 mirrored = drawnQuad(env, facing)[side * 4 + 4];
    EXPECT_GT(mirrored.b, 0.5f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}

}  // namespace
