// The draw passes against the real start-up (real shaders, real data): counts per level, the
// culled pass matching the unculled one, the uniforms the programs receive, the one-time sky box,
// and hundreds of frames in every level without an OpenGL error.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <sstream>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Assets.h"
#include "render/Model.h"
#include "render/ShadowTarget.h"
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
    // The vertex array the draw after the upload used.
    GLuint vao = 0;
    bool operator==(const Upload& other) const {
        return program == other.program && isPower == other.isPower && matrix == other.matrix;
    }
};

std::vector<Upload> uploads;
bool recording = false;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;
PFNGLUNIFORM1FPROC realUniform1f = nullptr;
PFNGLBINDVERTEXARRAYPROC realBindVertexArray = nullptr;

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

void APIENTRY recordVertexArray(GLuint vao) {
    if (recording && vao != 0 && !uploads.empty() && !uploads.back().isPower &&
        uploads.back().vao == 0) {
        uploads.back().vao = vao;
    }
    realBindVertexArray(vao);
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
        realBindVertexArray = __glewBindVertexArray;
        __glewBindVertexArray = recordVertexArray;
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

glm::mat4 uniformMat4(GLuint program, const char* name);

// One draw as the game's design lays the lists out: the model and the matrix it is drawn with.
struct Drawn {
    const std::unique_ptr<Model>* model;
    const glm::mat4* matrix;
};

// The draw list of each level: the objects drawn in every pass, then the group of the level the
// player is in (none outside 1 to 4).
std::vector<Drawn> sceneList(int level) {
    std::vector<Drawn> list = {{&houseModel, &houseTransform},
                               {&doorModel, &doorTransform8},
                               {&doorModel, &doorTransform2},
                               {&doorModel, &doorTransform4},
                               {&doorModel, &doorTransform3},
                               {&doorModel, &doorTransform9},
                               {&doorModel, &doorTransform6},
                               {&doorModel, &doorTransform5},
                               {&doorModel, &doorTransform1},
                               {&doorModel, &doorTransform7},
                               {&playerBodyModel, &playerBodyTransform},
                               {&flowerModel, &flowerTransform},
                               {&armModel, &armTransform2},
                               {&armModel, &armTransform1},
                               {&footModel, &footTransform2},
                               {&footModel, &footTransform1}};
    const std::vector<Drawn> groups[] = {
        {{&box3Model, &box3Transform},
         {&box1LidModel, &box1LidTransform},
         {&key1Model, &key1Transform},
         {&level1Part1Model, &level1Part1Transform},
         {&level1Part2Model, &level1Part2Transform},
         {&level1Part3Model, &level1Part3Transform},
         {&level1Place1Model, &level1Place1Transform},
         {&level1Place2Model, &level1Place2Transform},
         {&level1Place3Model, &level1Place3Transform}},
        {{&boardModel, &boardTransform},
         {&box2Model, &box2Transform},
         {&box2LidModel, &box2LidTransform},
         {&key2Model, &key2Transform1},
         {&level2Part1Model, &level2PartTransform[0]},
         {&level2Part2Model, &level2PartTransform[1]},
         {&level2Part3Model, &level2PartTransform[2]},
         {&level2Part4Model, &level2PartTransform[3]},
         {&level2Part5Model, &level2PartTransform[4]},
         {&level2Part6Model, &level2PartTransform[5]},
         {&level2Part7Model, &level2PartTransform[6]},
         {&level2Part8Model, &level2PartTransform[7]}},
        {{&key2Model, &key2Transform2},
         {&box1Model, &box1Transform},
         {&box3LidModel, &box3LidTransform},
         {&statue1Model, &statue1Transform},
         {&statue2Model, &statue2Transform}},
        {{&hiddenKeyBox1Model, &hiddenKeyBox1Transform},
         {&hiddenKeyBox2Model, &hiddenKeyBox2Transform},
         {&hiddenKeyBox3Model, &hiddenKeyBox3Transform},
         {&hiddenKeyBox4Model, &hiddenKeyBox4Transform},
         {&hiddenKeyBox5Model, &hiddenKeyBox5Transform},
         {&hiddenKeyBox6Model, &hiddenKeyBox6Transform},
         {&hiddenKeyBox7Model, &hiddenKeyBox7Transform},
         {&hiddenKeyBox8Model, &hiddenKeyBox8Transform},
         {&hiddenKeyBox1TopModel, &hiddenKeyBox1TopTransform},
         {&hiddenKeyBox2TopModel, &hiddenKeyBox2TopTransform},
         {&hiddenKeyBox3TopModel, &hiddenKeyBox3TopTransform},
         {&hiddenKeyBox4TopModel, &hiddenKeyBox4TopTransform},
         {&hiddenKeyBox5TopModel, &hiddenKeyBox5TopTransform},
         {&hiddenKeyBox6TopModel, &hiddenKeyBox6TopTransform},
         {&hiddenKeyBox7TopModel, &hiddenKeyBox7TopTransform},
         {&hiddenKeyBox8TopModel, &hiddenKeyBox8TopTransform},
         {&plate2Model, &plate2Transform},
         {&plate3Model, &plate3Transform},
         {&plate4Model, &plate4Transform},
         {&plate5Model, &plate5Transform},
         {&plate7Model, &plate7Transform},
         {&plate8Model, &plate8Transform},
         {&middlePart2Model, &middlePart2Transform},
         {&middlePart3Model, &middlePart3Transform},
         {&middlePart4Model, &middlePart4Transform},
         {&middlePart5Model, &middlePart5Transform},
         {&middlePart7Model, &middlePart7Transform},
         {&middlePart8Model, &middlePart8Transform},
         {&extraKeyAModel, &extraKeyATransform},
         {&extraKeyBModel, &extraKeyBTransform}},
    };
    if (level >= 1 && level <= 4) {
        list.insert(list.end(), groups[level - 1].begin(), groups[level - 1].end());
    }
    return list;
}

// The environment-mapped pass: the environment cube, and in level 4 the plate of set 1, the test
// object and the labyrinth.
std::vector<Drawn> reflectingList(int level) {
    if (level == 4) {
        return {{&envCubeModel, &envCubeTransform},
                {&plate1Model, &plate1Transform},
                {&testModel, &testTransform},
                {&labyrinthModel, &labyrinthTransform}};
    }
    return {{&envCubeModel, &envCubeTransform}};
}

// What a pass drew, told apart by the vertex array of the model and the matrix uploaded for it.
using Draws = std::vector<std::pair<GLuint, glm::mat4>>;

Draws drawsOf(const std::vector<Upload>& recorded) {
    Draws draws;
    for (const Upload& upload : recorded) {
        if (!upload.isPower) {
            draws.emplace_back(upload.vao, upload.matrix);
        }
    }
    return draws;
}

Draws drawsOf(const std::vector<Drawn>& list) {
    Draws draws;
    for (const Drawn& entry : list) {
        draws.emplace_back((*entry.model)->meshes.at(0).vao, *entry.matrix);
    }
    return draws;
}

TEST_F(ScenePasses, EveryPassDrawsItsLevelsListInOrderCulledOrNot) {
    // Far south of the house, looking north, every object lies in the view, so the culled passes
    // draw the same lists.
    playerCamera->position = glm::vec3(-2.0f, 8.5f, 40.0f);
    for (const int level : {1, 2, 3, 4, 0, 5}) {
        currentLevel = level;
        const Draws scene = drawsOf(sceneList(level));
        const Draws reflecting = drawsOf(reflectingList(level));
        const int sceneCount = static_cast<int>(scene.size());
        const int reflectingCount = level == 4 ? 3 : 0;
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(level) + (culling ? ", culled" : ""));
            viewFrustumMode = culling;
            EXPECT_TRUE(drawsOf(record([] { renderShadowPass(); })) == scene);
            EXPECT_EQ(renderedObjects, sceneCount);
            prepareMainPass();
            EXPECT_TRUE(drawsOf(record([culling] {
                            culling ? drawSceneCulled(*mainShader) : drawScene(*mainShader);
                        })) == scene);
            EXPECT_EQ(renderedObjects, sceneCount);
            EXPECT_TRUE(drawsOf(record([culling] {
                            culling ? drawEnvMappedObjectsCulled() : drawEnvMappedObjects();
                        })) == reflecting);
            EXPECT_EQ(renderedObjects, sceneCount + reflectingCount);
        }
    }
}

// The state the shadow pass draws in, read at its first upload of a model matrix, and the light's
// view in both modes.
struct ShadowDrawState {
    bool seen = false;
    GLint framebuffer = -1;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint cullMode = 0;
    bool depthTest = false;
    bool offsetFill = false;
    float offsetFactor = 0.0f;
    float offsetUnits = 0.0f;
    bool passActive = false;
    // The depth target holds nothing yet: every texel at the far plane.
    bool depthCleared = false;
    GLuint program = 0;
};
ShadowDrawState shadowState;
bool watchShadowDraw = false;
PFNGLUNIFORMMATRIX4FVPROC uploadBeforeWatch = nullptr;

void APIENTRY watchFirstUpload(GLint location, GLsizei count, GLboolean transpose,
                               const GLfloat* value) {
    if (watchShadowDraw && !shadowState.seen && location >= 0 &&
        location == glGetUniformLocation(currentProgram(), "tModel")) {
        shadowState.seen = true;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &shadowState.framebuffer);
        glGetIntegerv(GL_VIEWPORT, shadowState.viewport);
        glGetIntegerv(GL_CULL_FACE_MODE, &shadowState.cullMode);
        shadowState.depthTest = glIsEnabled(GL_DEPTH_TEST);
        shadowState.offsetFill = glIsEnabled(GL_POLYGON_OFFSET_FILL);
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &shadowState.offsetFactor);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &shadowState.offsetUnits);
        shadowState.passActive = shadowPassActive;
        shadowState.program = currentProgram();
        std::vector<float> depth(900 * 900, 0.0f);
        glReadPixels(0, 0, 900, 900, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        shadowState.depthCleared =
            std::all_of(depth.begin(), depth.end(), [](float d) { return d == 1.0f; });
    }
    uploadBeforeWatch(location, count, transpose, value);
}

TEST_F(ScenePasses, ShadowPassDrawsInItsOwnTargetWithTheLightsView) {
    // A frame first, so the depth target holds the last frame's depths.
    renderer.renderFrame();
    uploadBeforeWatch = __glewUniformMatrix4fv;
    __glewUniformMatrix4fv = watchFirstUpload;
    const glm::mat4 expectedProjection(0.61736965f, 0.0f, 0.0f, 0.0f,  //
                                       0.0f, 0.61736965f, 0.0f, 0.0f,  //
                                       0.0f, 0.0f, -1.0001f, -1.0f,    //
                                       0.0f, 0.0f, -0.0020001f, 0.0f);
    const struct {
        bool testing;
        glm::vec3 direction;
    } modes[] = {{false, {0.6f, -0.3f, -0.8f}}, {true, {-0.408977f, 0.0f, -0.9125f}}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.testing ? "testing mode" : "following the player");
        testingMode = mode.testing;
        playerCamera->front = glm::vec3(0.6f, -0.3f, -0.8f);
        spotLight->position =
            mode.testing ? glm::vec3(0.0f, 0.0f, 1.5f) : glm::vec3(-3.0f, 7.8f, -1.0f);
        shadowState = ShadowDrawState{};
        watchShadowDraw = true;
        renderShadowPass();
        watchShadowDraw = false;
        ASSERT_TRUE(shadowState.seen);
        EXPECT_EQ(shadowState.framebuffer, static_cast<GLint>(shadowMapFbo));
        EXPECT_NE(shadowMapFbo, 0u);
        EXPECT_EQ(std::vector<GLint>(shadowState.viewport, shadowState.viewport + 4),
                  (std::vector<GLint>{0, 0, 900, 900}));
        EXPECT_TRUE(shadowState.depthCleared);
        EXPECT_EQ(shadowState.cullMode, GL_FRONT);
        EXPECT_TRUE(shadowState.depthTest);
        EXPECT_TRUE(shadowState.offsetFill);
        // 9 times the larger of a half and the view's share along x, and along z.
        EXPECT_FLOAT_EQ(shadowState.offsetFactor, 9.0f * 0.6f);
        EXPECT_FLOAT_EQ(shadowState.offsetUnits, 9.0f * 0.8f);
        EXPECT_TRUE(shadowState.passActive);
        EXPECT_EQ(shadowState.program, depthShader->programId);
        const glm::mat4 expected =
            expectedProjection * glm::lookAt(spotLight->position,
                                             spotLight->position + mode.direction,
                                             glm::vec3(0.0f, 1.0f, 0.0f));
        const glm::mat4 lsm = uniformMat4(depthShader->programId, "lsm");
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) {
                EXPECT_NEAR(lsm[c][r], expected[c][r], 1e-5f) << c << " " << r;
            }
        }
    }
    __glewUniformMatrix4fv = uploadBeforeWatch;
    prepareMainPass();
    EXPECT_FALSE(shadowPassActive);
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
