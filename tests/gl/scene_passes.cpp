// The draw passes against the real start-up (real shaders, real data): the draw lists per level,
// the culled pass matching the unculled one, the shadow pass's state and light view, and the
// one-time sky box.
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

// The model matrix of each draw while recording, with the vertex array the draw used.
std::vector<std::pair<GLuint, glm::mat4>> recorded;
bool recording = false;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;
PFNGLBINDVERTEXARRAYPROC realBindVertexArray = nullptr;
// Whether the shadow pass found its depth target holding nothing yet (every texel at the far
// plane) at its first draw.
bool clearedAtFirstDraw = false;

void APIENTRY recordMatrix(GLint location, GLsizei count, GLboolean transpose,
                           const GLfloat* value) {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (recording && location >= 0 && location == glGetUniformLocation(program, "tModel")) {
        if (recorded.empty() && shadowPassActive) {
            std::vector<float> depth(900 * 900, 0.0f);
            glReadPixels(0, 0, 900, 900, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
            clearedAtFirstDraw =
                std::all_of(depth.begin(), depth.end(), [](float d) { return d == 1.0f; });
        }
        recorded.emplace_back(0, glm::make_mat4(value));
    }
    realUniformMatrix4fv(location, count, transpose, value);
}

void APIENTRY recordVertexArray(GLuint vao) {
    if (recording && vao != 0 && !recorded.empty() && recorded.back().first == 0) {
        recorded.back().first = vao;
    }
    realBindVertexArray(vao);
}

class ScenePasses : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
        window = startHiddenGame(640, 360, false);
        ASSERT_NE(window, nullptr);
        realUniformMatrix4fv = __glewUniformMatrix4fv;
        __glewUniformMatrix4fv = recordMatrix;
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
    // Runs a pass and returns what it drew, in order.
    template <typename Pass>
    std::vector<std::pair<GLuint, glm::mat4>> record(Pass pass) {
        recorded.clear();
        recording = true;
        pass();
        recording = false;
        return recorded;
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

// How many objects each level (1 to 4) draws after them.
const int levelGroupSizes[] = {9, 12, 5, 30};

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

Draws drawsOf(const std::vector<Drawn>& list) {
    Draws draws;
    for (const Drawn& entry : list) {
        draws.emplace_back((*entry.model)->meshes.at(0).vao, *entry.matrix);
    }
    return draws;
}

// The draws begin with the shared list, followed by the level's group (where there is one).
void expectSceneDraws(const Draws& drawn, int level) {
    const Draws shared = drawsOf(sharedList());
    ASSERT_EQ(drawn.size(),
              shared.size() + (level >= 1 && level <= 4 ? levelGroupSizes[level - 1] : 0));
    EXPECT_TRUE(std::equal(shared.begin(), shared.end(), drawn.begin()));
}

TEST_F(ScenePasses, EveryPassDrawsItsLevelsListInOrderCulledOrNot) {
    // Far south of the house, looking north, every object lies in the view, so the culled passes
    // draw the same lists.
    playerCamera->position = glm::vec3(-2.0f, 8.5f, 40.0f);
    for (const int level : {1, 2, 3, 4, 0, 5}) {
        currentLevel = level;
        const Draws reflecting = drawsOf(reflectingList(level));
        const int sceneCount = 16 + (level >= 1 && level <= 4 ? levelGroupSizes[level - 1] : 0);
        const int reflectingCount = level == 4 ? 3 : 0;
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(level) + (culling ? ", culled" : ""));
            viewFrustumMode = culling;
            expectSceneDraws(record([] { renderShadowPass(); }), level);
            EXPECT_EQ(renderedObjects, sceneCount);
            prepareMainPass();
            expectSceneDraws(record([culling] {
                                 culling ? drawSceneCulled(*mainShader) : drawScene(*mainShader);
                             }),
                             level);
            EXPECT_EQ(renderedObjects, sceneCount);
            EXPECT_TRUE(record([culling] {
                            culling ? drawEnvMappedObjectsCulled() : drawEnvMappedObjects();
                        }) == reflecting);
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
    // The main pass undoes it all: the window's viewport, back-face mode, no offset, the shadow
    // map on unit 1 and the biased light matrix.
    prepareMainPass();
    EXPECT_FALSE(shadowPassActive);
    const GLuint program = mainShader->programId;
    expectNearMatrix(uniform<glm::mat4>(program, "M_VL_PL_L"), biasMatrix * lightSpaceMatrix);
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
