// The draw passes against the real start-up (real shaders, real data): counts per level, the
// culled pass matching the unculled one, the uniforms the programs receive, the one-time sky box,
// and hundreds of frames in every level without an OpenGL error.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <sstream>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/type_ptr.hpp>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "render/Assets.h"
#include "scene/DrawPass.h"
#include "scene/EnvPass.h"
#include "scene/RenderOptions.h"
#include "scene/DepthPrepass.h"
#include "scene/Renderer.h"
#include "scene/ShadowPass.h"
#include "support/GlContext.h"
#include "support/Reference.h"

namespace {

// One upload seen by the recorder: the model matrix of a draw, or the specular power.
struct Upload {
    GLuint program = 0;
    bool isPower = false;
    glm::mat4 matrix{1.0f};
    bool operator==(const Upload& other) const {
        return program == other.program && isPower == other.isPower && matrix == other.matrix;
    }
};

std::vector<Upload> uploads;
bool recording = false;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;
PFNGLUNIFORM1FPROC realUniform1f = nullptr;

GLuint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return static_cast<GLuint>(program);
}

void APIENTRY recordMatrix(GLint location, GLsizei count, GLboolean transpose,
                           const GLfloat* value) {
    if (recording && location >= 0 &&
        location == glGetUniformLocation(currentProgram(), "tModel")) {
        uploads.push_back({currentProgram(), false, glm::make_mat4(value)});
    }
    realUniformMatrix4fv(location, count, transpose, value);
}

void APIENTRY recordFloat(GLint location, GLfloat value) {
    if (recording && location >= 0 && location == glGetUniformLocation(currentProgram(), "power")) {
        uploads.push_back({currentProgram(), true, glm::mat4(value)});
    }
    realUniform1f(location, value);
}

class ScenePasses : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
        window = startHiddenGame(640, 360, false);
        ASSERT_NE(window, nullptr);
        realUniformMatrix4fv = __glewUniformMatrix4fv;
        realUniform1f = __glewUniform1f;
        __glewUniformMatrix4fv = recordMatrix;
        __glewUniform1f = recordFloat;
    }
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        currentLevel = 1;
        testingMode = false;
        viewFrustumMode = false;
        playerCamera->position = glm::vec3(-3.0f, 8.0f, -1.0f);
        playerCamera->front = glm::vec3(0.0f, 0.0f, -1.0f);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        currentLevel = 1;
        testingMode = false;
        recording = false;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // Runs a pass and returns what it uploaded, in order.
    template <typename Pass>
    std::vector<Upload> record(Pass pass) {
        uploads.clear();
        recording = true;
        pass();
        recording = false;
        return uploads;
    }
    static GLFWwindow* window;
};
GLFWwindow* ScenePasses::window = nullptr;

TEST_F(ScenePasses, CountsWhatEachLevelDraws) {
    const int expected[][2] = {{1, 25}, {2, 28}, {3, 21}, {4, 46}, {0, 16}, {5, 16}};
    for (const auto& [level, count] : expected) {
        currentLevel = level;
        drawScene(*mainShader);
        EXPECT_EQ(renderedObjects, count) << "level " << level;
        drawEnvMappedObjects();
        EXPECT_EQ(renderedObjects, level == 4 ? 49 : count) << "level " << level;
        // The depth program draws the same list and counts the same way.
        drawScene(*depthShader);
        EXPECT_EQ(renderedObjects, count) << "level " << level;
    }
}

TEST_F(ScenePasses, CulledPassWithEverythingInViewMatchesTheUnculledPass) {
    // Far south of the house, looking north: every object lies in the view.
    playerCamera->position = glm::vec3(-2.0f, 8.5f, 40.0f);
    playerCamera->front = glm::vec3(0.0f, 0.0f, -1.0f);
    for (int level = 1; level <= 4; ++level) {
        currentLevel = level;
        for (const Shader* shader : {mainShader.get(), depthShader.get()}) {
            const std::vector<Upload> plain = record([&] { drawScene(*shader); });
            const int plainCount = renderedObjects;
            const std::vector<Upload> culled = record([&] { drawSceneCulled(*shader); });
            EXPECT_EQ(renderedObjects, plainCount);
            EXPECT_TRUE(plain == culled) << "level " << level;
        }
        const std::vector<Upload> plain = record([] { drawEnvMappedObjects(); });
        const std::vector<Upload> culled = record([] { drawEnvMappedObjectsCulled(); });
        EXPECT_TRUE(plain == culled) << "level " << level;
    }
}

TEST_F(ScenePasses, HouseIsDrawnFirstAndAloneBeforeThePower) {
    const std::vector<Upload> plain = record([] { drawScene(*mainShader); });
    ASSERT_GE(plain.size(), 3u);
    EXPECT_FALSE(plain[0].isPower);
    EXPECT_TRUE(plain[1].isPower);
    EXPECT_FLOAT_EQ(plain[1].matrix[0][0], 32.0f);
    for (size_t i = 2; i < plain.size(); ++i) {
        EXPECT_FALSE(plain[i].isPower);
    }

    // Looking away from everything: only the house, never tested, and no power upload.
    playerCamera->position = glm::vec3(-2.0f, 8.0f, 60.0f);
    playerCamera->front = glm::vec3(0.0f, 0.0f, 1.0f);
    const std::vector<Upload> culled = record([] { drawSceneCulled(*mainShader); });
    EXPECT_EQ(renderedObjects, 1);
    ASSERT_EQ(culled.size(), 1u);
    EXPECT_FALSE(culled[0].isPower);

    // Looking straight up culls nothing.
    playerCamera->front = glm::vec3(0.0f, 1.0f, 0.0f);
    drawSceneCulled(*mainShader);
    EXPECT_EQ(renderedObjects, 25);
}

glm::vec3 uniformVec3(GLuint program, const char* name) {
    glm::vec3 value(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(value));
    return value;
}

float uniformFloat(GLuint program, const char* name) {
    float value = 0.0f;
    glGetUniformfv(program, glGetUniformLocation(program, name), &value);
    return value;
}

glm::mat4 uniformMat4(GLuint program, const char* name) {
    glm::mat4 value(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(value));
    return value;
}

TEST_F(ScenePasses, ProgramsReceiveTheLightingAndShadowUniforms) {
    const GLuint program = mainShader->programId;
    playerCamera->front = glm::vec3(0.3f, -0.2f, -0.9f);
    drawScene(*mainShader);
    EXPECT_NEAR(uniformFloat(program, "cutOff"), 0.8616291f, 1e-6f);
    EXPECT_NEAR(uniformFloat(program, "cutOff2"), 0.9914449f, 1e-6f);
    EXPECT_NEAR(uniformFloat(program, "cutOff3"), 0.9981348f, 1e-6f);
    EXPECT_FLOAT_EQ(uniformFloat(program, "visibility"), 1.0f);
    EXPECT_EQ(uniformVec3(program, "direction"), glm::vec3(0.3f, -0.2f, -0.9f));
    EXPECT_EQ(uniformVec3(program, "viewPos"), playerCamera->position);
    EXPECT_EQ(uniformVec3(program, "lightPos"), spotLight->position);
    const glm::mat4 projection = uniformMat4(program, "projection");
    EXPECT_NEAR(projection[1][1], 1.0f / 0.5578517f, 1e-4f);
    EXPECT_NEAR(projection[0][0], 1.0f / (640.0f / 360.0f * 0.5578517f), 1e-4f);
    EXPECT_EQ(uniformMat4(program, "view"), playerCamera->view);

    testingMode = true;
    drawScene(*mainShader);
    EXPECT_EQ(uniformVec3(program, "direction"), glm::vec3(-0.408977f, -0.0f, -0.9125f));
    drawEnvMappedObjects();
    EXPECT_EQ(uniformVec3(envMapShader->programId, "direction"),
              glm::vec3(-0.408977f, -0.0f, -0.9125f));

    renderShadowPass();
    prepareMainPass();
    const glm::mat4 lsm = uniformMat4(depthShader->programId, "lsm");
    EXPECT_EQ(lsm, lightSpaceMatrix);
    const glm::mat4 biased = uniformMat4(program, "M_VL_PL_L");
    const glm::mat4 expected = biasMatrix * lightSpaceMatrix;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(biased[c][r], expected[c][r], 1e-5f);
        }
    }
    GLint shadowUnit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "shadowMap"), &shadowUnit);
    EXPECT_EQ(shadowUnit, 1);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 360);
    GLint cullMode = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    EXPECT_EQ(cullMode, GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
}

TEST_F(ScenePasses, SkyBoxIsDrawnOnceWhicheverVariantRunsFirst) {
    envCubeMapLoaded = false;
    secondCamera->position = glm::vec3(0.0f);
    // Culling on and the cube out of view: the cube map is still built, once.
    playerCamera->position = glm::vec3(-2.0f, 8.0f, 60.0f);
    playerCamera->front = glm::vec3(0.0f, 0.0f, 1.0f);
    drawEnvMappedObjectsCulled();
    EXPECT_TRUE(envCubeMapLoaded);
    EXPECT_EQ(secondCamera->position, glm::vec3(-2.0f, 7.75f, -1.0f));
    secondCamera->position = glm::vec3(0.0f);
    drawEnvMappedObjects();
    drawEnvMappedObjectsCulled();
    EXPECT_EQ(secondCamera->position, glm::vec3(0.0f));
}

// The depth pre-pass must not change the picture: no surface lost to a depth mismatch, none
// shown that was hidden.
TEST_F(ScenePasses, DepthPrepassKeepsThePicture) {
    const auto picture = [] {
        std::vector<unsigned char> pixels(640 * 360 * 3);
        renderer.renderFrame();
        readPixelsRgb(640, 360, pixels.data());
        return pixels;
    };
    const glm::vec3 views[][2] = {{{-3.0f, 8.0f, -1.0f}, {-0.35f, -0.2f, -0.9f}},
                                  {{-5.4f, 9.3f, -1.0f}, {-1.0f, -0.9f, 0.0f}},
                                  {{-3.0f, 9.3f, -0.2f}, {0.0f, -0.1f, -1.0f}},
                                  {{-2.5f, 9.3f, 0.9f}, {0.0f, -0.3f, 1.0f}}};
    for (int level = 1; level <= 4; ++level) {
        currentLevel = level;
        playerCamera->position = views[level - 1][0];
        playerCamera->front = views[level - 1][1];
        depthPrepassEnabled = false;
        const std::vector<unsigned char> plain = picture();
        const int plainCount = renderedObjects;
        depthPrepassEnabled = true;
        const std::vector<unsigned char> withPrepass = picture();
        EXPECT_EQ(renderedObjects, plainCount);
        const PictureDifference difference = comparePictures(plain, withPrepass);
        EXPECT_LE(difference.differingShare, 0.001) << "level " << level;
        GLint depthFunction = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
        EXPECT_EQ(depthFunction, GL_LESS);
    }
}

TEST_F(ScenePasses, HundredsOfFramesInEveryLevelRaiseNoError) {
    // The player's frame loop, which reports any error as its error line on the console.
    std::ostringstream console;
    installScriptedWindow(1.0f / 60.0f, glfwSwapBuffers);
    FrameLoopState loop;
    for (int level = 1; level <= 4; ++level) {
        currentLevel = level;
        for (int frame = 0; frame < 100; ++frame) {
            viewFrustumMode = frame % 50 >= 25;
            playerCamera->front = glm::vec3(std::sin(frame * 0.1f), 0.0f, -std::cos(frame * 0.1f));
            runFrame(window, loop, console);
            ASSERT_EQ(console.str(), "") << "level " << level << " frame " << frame;
        }
    }
    uninstallScriptedWindow();
}

}  // namespace
