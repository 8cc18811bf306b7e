// View-frustum culling leaves out only what cannot be seen: from many eyes in every level (in the
// rooms, close to walls, looking up and down, at the maze relief and through a window at the
// mirror sculpture) the real game's frame with culling on equals the frame with it off to the
// pixel, while looking away still draws fewer objects. The game runs in testing mode with the
// fixed light under the lawn, where it lights nothing in view, so the shadow map plays no part in
// the picture: the shadow pass culls with the player's frustum, so with culling on an object out
// of view casts no shadow into it (the testing light's own place reaches a corner of level 1).
//
// Large meshes leave out the runs of triangles that lie wholly outside a draw's clip volume (the
// camera's in the main passes, the light's in the shadow pass). From the same eyes, lit by the
// torch so the shadow map shows, frames and shadow maps with that on and off are the same to the
// pixel and the depth value, culling on and off, while the driver is handed fewer triangles.
//
// The same frames, lit by the torch the player carries, also match committed pictures of every
// level, culling on and off, so work on the passes' speed cannot change what the player sees.
// VELMORA_UPDATE_REFERENCE=1 writes new pictures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Assets.h"
#include "render/ClipCulling.h"
#include "render/Model.h"
#include "render/ShadowTarget.h"
#include "scene/Frustum.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"
#include "support/GameDriver.h"
#include "support/GlContext.h"
#include "support/Reference.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

// The picture of the last presented frame, bottom row first.
std::vector<unsigned char> presented(static_cast<size_t>(width) * height * 3);

void keepPresented(GLFWwindow*) {
    readPixelsRgb(width, height, presented.data());
}

struct Pose {
    int level = 1;
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f};
    const char* what = "";
};

// Eye heights: 0.7 above the level-1 floor (7.3), 0.76 above the second storey's (8.54).
const Pose poses[] = {
    {1, {-3.0f, 8.0f, -1.0f}, {-3.0f, 7.6f, -4.0f}, "level 1 from the start"},
    {1, {-2.0f, 8.0f, -3.5f}, {2.2f, 7.3f, -3.5f}, "the sculpture through the east window"},
    {1, {-0.3f, 8.0f, -2.0f}, {5.0f, 8.0f, -2.0f}, "close to the east wall"},
    {1, {-3.0f, 8.0f, -2.0f}, {-3.0f, 9.5f, -3.0f}, "up at the ceiling"},
    {1, {-2.0f, 8.0f, 0.3f}, {-2.0f, 7.8f, 3.0f}, "into the partition"},
    {2, {-5.4f, 9.3f, -1.0f}, {-5.4f, 9.3f, -4.0f}, "level 2 from the board"},
    {2, {-5.4f, 9.3f, -1.0f}, {-6.5f, 8.4f, -1.0f}, "down at the board"},
    {2, {-5.4f, 9.3f, -0.3f}, {-5.4f, 10.6f, -1.0f}, "up the shaft"},
    {2, {-6.5f, 9.3f, -1.0f}, {-9.0f, 9.3f, -1.0f}, "at the tower's west wall"},
    {3, {-3.0f, 9.3f, -0.2f}, {-3.0f, 8.9f, -3.0f}, "level 3 from the door"},
    {3, {-3.0f, 9.3f, -1.0f}, {-2.0f, 8.6f, -3.0f}, "down at a statue"},
    {3, {-2.5f, 9.3f, -3.5f}, {-2.5f, 11.0f, -2.5f}, "up at the bay"},
    {3, {-0.3f, 9.3f, -0.5f}, {5.0f, 9.0f, -0.5f}, "at the east wall"},
    {4, {-2.5f, 9.3f, 0.9f}, {-2.5f, 8.7f, 2.6f}, "level 4 from the door"},
    {4, {-2.5f, 9.3f, 2.2f}, {-2.5f, 8.54f, 1.1f}, "down at the maze"},
    {4, {-3.5f, 9.3f, 1.5f}, {-3.95f, 8.6f, 2.0f}, "down at a hidden box"},
    {4, {-2.5f, 9.3f, 2.0f}, {-2.5f, 11.0f, 1.0f}, "up at the ceiling"},
};

class CullingFrames : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
        ASSERT_NE(startHiddenGame(width, height, true), nullptr);
    }
    static void TearDownTestSuite() {
        renderer.releaseAssets();
        glfwTerminate();
    }
    // The driver sets the game up for a window of its own size; this window is smaller. The first
    // frames are drawn unculled, as the game starts: every program has its "power".
    void SetUp() override {
        windowWidth = width;
        windowHeight = height;
        playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), width, height);
        setScriptedPresent(keepPresented);
        driver.frame();
        driver.frame();
    }
    void TearDown() override {
        EXPECT_EQ(driver.console(), "");
        viewFrustumMode = false;
        clipCullingEnabled = true;
        testingMode = false;
        visibility = 1.0f;
    }
    GameDriver driver{GameDriver::Rendering::installed};
};

struct Shot {
    std::vector<unsigned char> pixels;
    int drawn = 0;
    // The primitives the frame handed the driver, and the shadow map's depths after it.
    GLuint64 primitives = 0;
    std::vector<float> shadowDepth;
};

// One frame of the game from the pose. The rules start afresh for every frame, so whatever they
// move in it (the statues creep while the player looks away) moves the same with culling on
// and off.
Shot shoot(GameDriver& driver, const Pose& pose, bool culling) {
    resetGameState();
    layoutScene();
    currentLevel = pose.level;
    viewFrustumMode = culling;
    renderer.setBlending(false);
    driver.placeCamera(pose.eye, pose.target);
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_SUBMITTED_ARB, query);
    driver.frame();
    glEndQuery(GL_PRIMITIVES_SUBMITTED_ARB);
    Shot shot{presented, renderedObjects, 0, {}};
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &shot.primitives);
    glDeleteQueries(1, &query);
    shot.shadowDepth.assign(static_cast<size_t>(shadowMapSize) * shadowMapSize, 0.0f);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, shadowMapFbo);
    glReadPixels(0, 0, shadowMapSize, shadowMapSize, GL_DEPTH_COMPONENT, GL_FLOAT,
                 shot.shadowDepth.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return shot;
}

std::vector<unsigned char> topRowFirst(const std::vector<unsigned char>& bottomFirst) {
    std::vector<unsigned char> flipped(bottomFirst.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::copy_n(bottomFirst.begin() + static_cast<std::ptrdiff_t>(row * y), row,
                    flipped.begin() + static_cast<std::ptrdiff_t>(row * (height - 1 - y)));
    }
    return flipped;
}

// The two frames equal to the pixel; both are written for a look when they differ (or when
// VELMORA_WRITE_FRAMES asks for every frame).
void expectSameFrames(const std::vector<unsigned char>& first,
                      const std::vector<unsigned char>& second, const std::string& name) {
    const long differing = comparePictures(first, second).changed;
    EXPECT_EQ(differing, 0);
    if (differing != 0 || std::getenv("VELMORA_WRITE_FRAMES") != nullptr) {
        const std::string path = std::string(VELMORA_TEST_OUTPUT_DIR) + "/" + name;
        writePng((path + "_a.png").c_str(), width, height, topRowFirst(first).data());
        writePng((path + "_b.png").c_str(), width, height, topRowFirst(second).data());
    }
}

// Each pose's frame with view-frustum culling off (a) and on (b); the poses of each level at
// which culling drew fewer objects.
std::vector<int> compareCulling(GameDriver& driver, std::span<const Pose> views,
                                const std::string& name) {
    std::vector<int> lessDrawn(5, 0);
    for (size_t index = 0; index < views.size(); ++index) {
        const Pose& pose = views[index];
        SCOPED_TRACE("level " + std::to_string(pose.level) + ", " + pose.what);
        const Shot all = shoot(driver, pose, false);
        const Shot culled = shoot(driver, pose, true);
        expectSameFrames(all.pixels, culled.pixels, name + std::to_string(index));
        EXPECT_LE(culled.drawn, all.drawn);
        lessDrawn[pose.level] += culled.drawn < all.drawn ? 1 : 0;
    }
    return lessDrawn;
}

TEST_F(CullingFrames, CullingChangesNoPixelAndStillLeavesOutWhatIsOutOfView) {
    testingMode = true;
    spotLight->position = glm::vec3(0.0f, -20.0f, 1.5f);
    // The house well lit, so every surface shows in its own colours.
    visibility = 10.0f;
    const std::vector<int> lessDrawn = compareCulling(driver, poses, "culling_pose");
    for (int level = 1; level <= 4; ++level) {
        EXPECT_GT(lessDrawn[level], 0) << "culling left nothing out in level " << level;
    }
}

// Lit by the torch, as the player plays: an object just outside the view still casts its shadow
// into it, so culling keeps whatever the sphere of radius 1 at its matrix's translation keeps,
// whatever its own (tighter) sphere says. The eyes look past small objects (pieces, places, the
// key's box), each just below, beside or above the view.
const Pose nearlyOutOfView[] = {
    {1, {-2.4f, 8.0f, -1.8f}, {-2.017f, 7.55f, -2.724f}, "a piece just below the view"},
    {1, {-3.0f, 8.0f, -1.0f}, {-1.2f, 7.5f, -2.7f}, "the places beside the view"},
    {1, {-2.0f, 7.6f, -2.0f}, {-2.6f, 8.3f, -3.4f}, "above the pieces"},
};

TEST_F(CullingFrames, ObjectsJustOutOfViewStillCastTheirShadowsIntoIt) {
    compareCulling(driver, nearlyOutOfView, "lit_pose");
}

// A model that failed to load has no sphere of its own and keeps the sphere of radius 1.
TEST(CullingTest, AModelThatFailedToLoadIsTestedWithRadiusOne) {
    // Looking along -z from the origin, the near plane lies at z = -0.1.
    const Frustum frustum = buildFrustum(glm::vec3(0.0f), glm::vec3(0, 0, -1), width, height);
    std::unique_ptr<Model> missing;
    for (const float z : {-0.5f, 0.5f, 0.89f, 0.91f, 3.0f}) {
        glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, z));
        EXPECT_EQ(entryInFrustum(frustum, {&missing, &matrix}), z < 0.9f) << "at z " << z;
    }
}

// The rules judge a statue by the light of the frame before, so the first frame at a pose depends
// on the pose before; a frame in place first makes two shots alike.
Shot shootInPlace(GameDriver& driver, const Pose& pose, bool culling, bool clipCulling) {
    clipCullingEnabled = clipCulling;
    shoot(driver, pose, culling);
    return shoot(driver, pose, culling);
}

TEST_F(CullingFrames, TrianglesOutsideTheClipVolumeAreLeftOutWithoutChangingAPixelOrAShadow) {
    ASSERT_TRUE(GLEW_ARB_pipeline_statistics_query);
    int fewer[5] = {0, 0, 0, 0, 0};
    int index = 0;
    for (const Pose& pose : poses) {
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(pose.level) + ", " + pose.what +
                         (culling ? ", culled" : ""));
            const Shot whole = shootInPlace(driver, pose, culling, false);
            const Shot clipped = shootInPlace(driver, pose, culling, true);
            expectSameFrames(whole.pixels, clipped.pixels, "clip_pose" + std::to_string(index++));
            EXPECT_TRUE(whole.shadowDepth == clipped.shadowDepth) << "the shadow depths differ";
            EXPECT_LE(clipped.primitives, whole.primitives);
            fewer[pose.level] += clipped.primitives < whole.primitives ? 1 : 0;
        }
    }
    for (int level = 1; level <= 4; ++level) {
        EXPECT_GT(fewer[level], 0) << "no triangle was left out in level " << level;
    }
}

// The lit rooms of the four levels, as the benchmark looks at them.
TEST_F(CullingFrames, EveryLevelLitByTheTorchLooksAsItDid) {
    const bool update = std::getenv("VELMORA_UPDATE_REFERENCE") != nullptr;
    for (const Pose& view : {poses[0], poses[6], poses[9], poses[13]}) {
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(view.level) + (culling ? ", culled" : ""));
            const std::vector<unsigned char> picture =
                topRowFirst(shoot(driver, view, culling).pixels);
            const std::string name = "culling_level" + std::to_string(view.level);
            const std::string reference =
                std::string(VELMORA_SOURCE_DIR) + "/tests/gl/reference/" + name + ".png";
            if (update && !culling) {
                writePng(reference.c_str(), width, height, picture.data());
            }
            const PictureDifference difference =
                compareWithReference(picture, width, height, reference);
            ASSERT_TRUE(difference.referenceRead) << reference;
            // Another driver may round a few edge pixels differently; this one matches exactly.
            EXPECT_LE(difference.largest, 96);
            EXPECT_LE(difference.differingShare, 0.002);
            if (difference.largest != 0) {
                const std::string written = std::string(VELMORA_TEST_OUTPUT_DIR) + "/" + name +
                                            (culling ? "_culled.png" : "_all.png");
                writePng(written.c_str(), width, height, picture.data());
            }
        }
    }
}

}  // namespace
