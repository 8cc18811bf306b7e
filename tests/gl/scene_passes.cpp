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
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/Game.h"
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
    bool isPower = false;
    glm::mat4 matrix{1.0f};
    // The vertex array the draw after the upload used.
    GLuint vao = 0;
};

std::vector<Upload> uploads;
bool recording = false;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;
PFNGLUNIFORM1FPROC realUniform1f = nullptr;
PFNGLBINDVERTEXARRAYPROC realBindVertexArray = nullptr;
// Whether the shadow pass found its depth target holding nothing yet (every texel at the far
// plane) at its first draw.
bool clearedAtFirstDraw = false;

GLuint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return static_cast<GLuint>(program);
}

void APIENTRY recordMatrix(GLint location, GLsizei count, GLboolean transpose,
                           const GLfloat* value) {
    if (recording && location >= 0 &&
        location == glGetUniformLocation(currentProgram(), "tModel")) {
        if (uploads.empty() && shadowPassActive) {
            std::vector<float> depth(900 * 900, 0.0f);
            glReadPixels(0, 0, 900, 900, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
            clearedAtFirstDraw =
                std::all_of(depth.begin(), depth.end(), [](float d) { return d == 1.0f; });
        }
        uploads.push_back({false, glm::make_mat4(value)});
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
        uploads.push_back({true, glm::mat4(value)});
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

// A float, vector or matrix uniform's value in the program.
template <typename T = float>
T uniform(GLuint program, const char* name) {
    T value{};
    glGetUniformfv(program, glGetUniformLocation(program, name), reinterpret_cast<float*>(&value));
    return value;
}

// One draw as the game's design lays the lists out: the model and the matrix it is drawn with.
struct Drawn {
    const std::unique_ptr<Model>* model;
    const glm::mat4* matrix;
};

// What every level draws first, in every pass, in this order.
std::vector<Drawn> sharedList() {
    std::vector<Drawn> list = {{&houseModel, &houseTransform}};
    for (const glm::mat4* door :
         {&doorTransform8, &doorTransform2, &doorTransform4, &doorTransform3, &doorTransform9,
          &doorTransform6, &doorTransform5, &doorTransform1, &doorTransform7}) {
        list.push_back({&doorModel, door});
    }
    list.insert(list.end(), {{&playerBodyModel, &playerBodyTransform},
                             {&flowerModel, &flowerTransform},
                             {&armModel, &armTransform2},
                             {&armModel, &armTransform1},
                             {&footModel, &footTransform2},
                             {&footModel, &footTransform1}});
    return list;
}

// The group each level (1 to 4) draws after them: its size, its first and its last object.
struct LevelGroup {
    int size;
    Drawn first;
    Drawn last;
};
const LevelGroup levelGroups[] = {
    {9, {&box3Model, &box3Transform}, {&level1Place3Model, &level1Place3Transform}},
    {12, {&boardModel, &boardTransform}, {&level2Part8Model, &level2PartTransform[7]}},
    {5, {&key2Model, &key2Transform2}, {&statue2Model, &statue2Transform}},
    {30, {&hiddenKeyBox1Model, &hiddenKeyBox1Transform}, {&extraKeyBModel, &extraKeyBTransform}},
};

// The environment-mapped pass: the environment cube, and in level 4 the plate of set 1, the test
// object and the labyrinth.
std::vector<Drawn> reflectingList(int level) {
    std::vector<Drawn> list = {{&envCubeModel, &envCubeTransform}};
    if (level == 4) {
        list.insert(list.end(), {{&plate1Model, &plate1Transform},
                                 {&testModel, &testTransform},
                                 {&labyrinthModel, &labyrinthTransform}});
    }
    return list;
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

// The draws match the shared list, then the level's group (where there is one).
void expectSceneDraws(const Draws& drawn, int level) {
    const Draws shared = drawsOf(sharedList());
    const bool grouped = level >= 1 && level <= 4;
    const LevelGroup group = grouped ? levelGroups[level - 1] : LevelGroup{0, {}, {}};
    ASSERT_EQ(drawn.size(), shared.size() + group.size);
    EXPECT_TRUE(std::equal(shared.begin(), shared.end(), drawn.begin()));
    if (grouped) {
        EXPECT_TRUE(drawn[shared.size()] == drawsOf({group.first})[0]);
        EXPECT_TRUE(drawn.back() == drawsOf({group.last})[0]);
    }
}

TEST_F(ScenePasses, EveryPassDrawsItsLevelsListInOrderCulledOrNot) {
    // Far south of the house, looking north, every object lies in the view, so the culled passes
    // draw the same lists.
    playerCamera->position = glm::vec3(-2.0f, 8.5f, 40.0f);
    for (const int level : {1, 2, 3, 4, 0, 5}) {
        currentLevel = level;
        const Draws reflecting = drawsOf(reflectingList(level));
        const int sceneCount = 16 + (level >= 1 && level <= 4 ? levelGroups[level - 1].size : 0);
        const int reflectingCount = level == 4 ? 3 : 0;
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(level) + (culling ? ", culled" : ""));
            viewFrustumMode = culling;
            expectSceneDraws(drawsOf(record([] { renderShadowPass(); })), level);
            EXPECT_EQ(renderedObjects, sceneCount);
            prepareMainPass();
            expectSceneDraws(drawsOf(record([culling] {
                                 culling ? drawSceneCulled(*mainShader) : drawScene(*mainShader);
                             })),
                             level);
            EXPECT_EQ(renderedObjects, sceneCount);
            EXPECT_TRUE(drawsOf(record([culling] {
                            culling ? drawEnvMappedObjectsCulled() : drawEnvMappedObjects();
                        })) == reflecting);
            EXPECT_EQ(renderedObjects, sceneCount + reflectingCount);
        }
    }
}

void expectNearMatrix(const glm::mat4& actual, const glm::mat4& expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(glm::value_ptr(actual)[i], glm::value_ptr(expected)[i], 1e-5f) << i;
    }
}

TEST_F(ScenePasses, ShadowPassDrawsInItsOwnTargetWithTheLightsView) {
    // A frame first, so the depth target holds the last frame's depths.
    renderer.renderFrame();
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
        clearedAtFirstDraw = false;
        record([] { renderShadowPass(); });
        EXPECT_TRUE(clearedAtFirstDraw);
        // The pass leaves its state for the main pass's set-up to undo: framebuffer, viewport,
        // cull mode and program.
        GLint state[7] = {0, 0, 0, 0, 0, 0, 0};
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &state[0]);
        glGetIntegerv(GL_VIEWPORT, &state[1]);
        glGetIntegerv(GL_CULL_FACE_MODE, &state[5]);
        glGetIntegerv(GL_CURRENT_PROGRAM, &state[6]);
        EXPECT_EQ(std::vector<GLint>(state, state + 7),
                  std::vector<GLint>({GLint(shadowMapFbo), 0, 0, 900, 900, GL_FRONT,
                                      GLint(depthShader->programId)}));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_POLYGON_OFFSET_FILL));
        EXPECT_TRUE(shadowPassActive);
        // The polygon offset is 9 times the larger of a half and the view's share along x, and
        // along z.
        float offset[2] = {0.0f, 0.0f};
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &offset[0]);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &offset[1]);
        EXPECT_NEAR(offset[0], 9.0f * 0.6f, 1e-5f);
        EXPECT_NEAR(offset[1], 9.0f * 0.8f, 1e-5f);
        const glm::mat4 expected =
            expectedProjection * glm::lookAt(spotLight->position,
                                             spotLight->position + mode.direction,
                                             glm::vec3(0.0f, 1.0f, 0.0f));
        expectNearMatrix(uniform<glm::mat4>(depthShader->programId, "lsm"), expected);
    }
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
}

TEST_F(ScenePasses, ProgramsReceiveTheLightingAndShadowUniforms) {
    const GLuint program = mainShader->programId;
    playerCamera->front = glm::vec3(0.3f, -0.2f, -0.9f);
    drawScene(*mainShader);
    EXPECT_NEAR(uniform(program, "cutOff"), 0.8616291f, 1e-6f);
    EXPECT_NEAR(uniform(program, "cutOff2"), 0.9914449f, 1e-6f);
    EXPECT_NEAR(uniform(program, "cutOff3"), 0.9981348f, 1e-6f);
    EXPECT_FLOAT_EQ(uniform(program, "visibility"), 1.0f);
    EXPECT_EQ(uniform<glm::vec3>(program, "direction"), glm::vec3(0.3f, -0.2f, -0.9f));
    EXPECT_EQ(uniform<glm::vec3>(program, "viewPos"), playerCamera->position);
    EXPECT_EQ(uniform<glm::vec3>(program, "lightPos"), spotLight->position);
    const glm::mat4 projection = uniform<glm::mat4>(program, "projection");
    EXPECT_NEAR(projection[1][1], 1.0f / 0.5578517f, 1e-4f);
    EXPECT_NEAR(projection[0][0], 1.0f / (640.0f / 360.0f * 0.5578517f), 1e-4f);
    EXPECT_EQ(uniform<glm::mat4>(program, "view"), playerCamera->view);

    testingMode = true;
    drawScene(*mainShader);
    EXPECT_EQ(uniform<glm::vec3>(program, "direction"), glm::vec3(-0.408977f, -0.0f, -0.9125f));
    drawEnvMappedObjects();
    EXPECT_EQ(uniform<glm::vec3>(envMapShader->programId, "direction"),
              glm::vec3(-0.408977f, -0.0f, -0.9125f));

    renderShadowPass();
    prepareMainPass();
    const glm::mat4 lsm = uniform<glm::mat4>(depthShader->programId, "lsm");
    EXPECT_EQ(lsm, lightSpaceMatrix);
    expectNearMatrix(uniform<glm::mat4>(program, "M_VL_PL_L"), biasMatrix * lightSpaceMatrix);
    // The shadow map's unit, and the window's viewport and back-face culling mode back.
    GLint state[6] = {0, 0, 0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, state);
    glGetIntegerv(GL_CULL_FACE_MODE, &state[4]);
    glGetUniformiv(program, glGetUniformLocation(program, "shadowMap"), &state[5]);
    EXPECT_EQ(std::vector<GLint>(state + 2, state + 6), std::vector<GLint>({640, 360, GL_BACK, 1}));
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

}  // namespace
