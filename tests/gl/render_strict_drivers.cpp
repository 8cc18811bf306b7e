// What a strict driver holds against the rendering resources, on the real asset set-up (real
// shaders, real data): the shadow framebuffer names no colour buffer to draw or to read; the main
// program's two samplers sit on their own units from the moment it is built, so it draws before
// any pass without an error; and a surface without normals comes out as a finite colour that no
// light reaches and that reflects nothing, in both lit programs.
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

GLint uniformInt(GLuint program, const char* name) {
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

TEST_F(StrictDrivers, ShadowFramebufferDrawsToAndReadsFromNoColourBuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_READ_BUFFER), GL_NONE);
    EXPECT_EQ(glCheckFramebufferStatus(GL_READ_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(StrictDrivers, MainProgramDrawsBeforeAnyPassWithItsSamplersOnTwoUnits) {
    const GLuint program = mainShader->programId;
    EXPECT_EQ(uniformInt(program, "texture_diffuse1"), 0);
    EXPECT_EQ(uniformInt(program, "shadowMap"), 1);
    // Two sampler types on one unit is what validation and the draw both refuse.
    glValidateProgram(program);
    EXPECT_EQ(fixture::queried(glGetProgramiv, program, GL_VALIDATE_STATUS), GL_TRUE);
    fixture::Target target(32, 32);
    glUseProgram(program);
    fixture::clearGlErrors();
    houseModel->draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

constexpr int side = 8;

// A quad over the whole target, all corners with the given normal.
Mesh quadWithNormal(const glm::vec3& normal) {
    std::vector<Vertex> corners(4);
    const glm::vec2 at[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        corners[i].position = glm::vec3(at[i], 0.0f);
        corners[i].normal = normal;
        corners[i].texCoords = 0.5f * (at[i] + glm::vec2(1.0f));
    }
    return Mesh(corners, {0, 1, 2, 0, 2, 3}, {}, nullptr);
}

const glm::vec3 objectColour(1.0f, 0.5f, 0.31f);

// The torch right in front of the quad, pointing at it, the house fully lit (visibility 10), and
// every matrix the identity, so the quad covers the target. The light-space matrix puts every
// fragment outside the shadow map, where the light reaches it in full.
void lightTheQuad(GLuint program) {
    glUseProgram(program);
    const glm::mat4 identity(1.0f);
    for (const char* name : {"tModel", "view", "projection"}) {
        glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE,
                           glm::value_ptr(identity));
    }
    const glm::mat4 outside = glm::translate(identity, glm::vec3(5.0f));
    glUniformMatrix4fv(glGetUniformLocation(program, "M_VL_PL_L"), 1, GL_FALSE,
                       glm::value_ptr(outside));
    glUniform1f(glGetUniformLocation(program, "visibility"), 10.0f);
    glUniform3f(glGetUniformLocation(program, "objectColor"), objectColour.r, objectColour.g,
                objectColour.b);
    glUniform3f(glGetUniformLocation(program, "lightColor"), 1.0f, 1.0f, 1.0f);
    glUniform3f(glGetUniformLocation(program, "lightPos"), 0.0f, 0.0f, 2.0f);
    glUniform3f(glGetUniformLocation(program, "viewPos"), 0.0f, 0.0f, 2.0f);
    glUniform3f(glGetUniformLocation(program, "direction"), 0.0f, 0.0f, -1.0f);
    glUniform1f(glGetUniformLocation(program, "cutOff"), std::cos(0.8f));
    glUniform1f(glGetUniformLocation(program, "cutOff2"), std::cos(0.6f));
    glUniform1f(glGetUniformLocation(program, "cutOff3"), std::cos(0.4f));
    glUniform1f(glGetUniformLocation(program, "power"), 32.0f);
    glUniform1i(glGetUniformLocation(program, "pcf"), 1);
}

std::vector<glm::vec3> drawnQuad(GLuint program, const glm::vec3& normal) {
    const fixture::Target target(side, side, GL_RGBA32F);
    glDisable(GL_DEPTH_TEST);
    lightTheQuad(program);
    Mesh quad = quadWithNormal(normal);
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

// A texture of one texel of the colour, sampled as nearest, on each of its faces (1 or 6), left
// bound to unit 0.
GLuint oneTexel(GLenum kind, GLenum faces, unsigned char r, unsigned char g, unsigned char b) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(kind, id);
    const unsigned char texel[4] = {r, g, b, 255};
    for (GLenum face = 0; face < faces; ++face) {
        glTexImage2D(faces == 1 ? kind : GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB8, 1, 1, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, texel);
    }
    glTexParameteri(kind, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(kind, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return id;
}

TEST_F(StrictDrivers, ASurfaceWithoutNormalsTakesNoLightAndReflectsNothing) {
    const glm::vec3 facing(0.0f, 0.0f, 1.0f);
    const glm::vec3 zero(0.0f);

    // The main program over a diffuse image: without a normal only the house's own light, which
    // at visibility 10 is 0.6 of the object-tinted image, and nothing of the torch.
    const glm::vec3 image = glm::vec3(204, 102, 51) / 255.0f;
    const GLuint texture = oneTexel(GL_TEXTURE_2D, 1, 204, 102, 51);
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
    const GLuint cube = oneTexel(GL_TEXTURE_CUBE_MAP, 6, 51, 153, 255);
    const GLuint env = envMapShader->programId;
    expectEveryPixel(drawnQuad(env, zero), 0.1f * objectColour * 0.7f);
    // With a normal it shows the sky.
    const glm::vec3 mirrored = drawnQuad(env, facing)[side * 4 + 4];
    EXPECT_GT(mirrored.b, 0.5f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}

}  // namespace
