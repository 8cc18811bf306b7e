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
#include <iostream>
#include <memory>
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
    {1, {-1.0f, 8.0f, -1.6f}, {2.2f, 7.6f, -3.5f}, "the sculpture, slanting"},
    {1, {-0.3f, 8.0f, -2.0f}, {5.0f, 8.0f, -2.0f}, "close to the east wall"},
    {1, {-4.5f, 8.0f, -0.5f}, {-4.5f, 8.0f, -5.0f}, "along the west wall"},
    {1, {-2.2f, 8.0f, -2.8f}, {-2.2f, 7.3f, -3.5f}, "down at the box"},
    {1, {-3.0f, 8.0f, -2.0f}, {-3.0f, 9.5f, -3.0f}, "up at the ceiling"},
    {1, {-2.5f, 8.0f, -5.2f}, {-2.5f, 8.0f, 2.0f}, "back towards the partition"},
    {1, {-2.0f, 8.0f, 0.3f}, {-2.0f, 7.8f, 3.0f}, "into the partition"},
    {2, {-5.4f, 9.3f, -1.0f}, {-5.4f, 9.3f, -4.0f}, "level 2 from the board"},
    {2, {-5.4f, 9.3f, -1.0f}, {-6.5f, 8.4f, -1.0f}, "down at the board"},
    {2, {-5.0f, 9.3f, -0.4f}, {-6.0f, 8.8f, -1.4f}, "across the landing"},
    {2, {-6.4f, 9.3f, -1.6f}, {-4.0f, 9.0f, -0.4f}, "out of the tower"},
    {2, {-5.4f, 9.3f, -0.3f}, {-5.4f, 10.6f, -1.0f}, "up the shaft"},
    {2, {-6.5f, 9.3f, -1.0f}, {-9.0f, 9.3f, -1.0f}, "at the tower's west wall"},
    {2, {-5.2f, 9.3f, -1.7f}, {-5.2f, 9.3f, 1.0f}, "north through the tower"},
    {3, {-3.0f, 9.3f, -0.2f}, {-3.0f, 8.9f, -3.0f}, "level 3 from the door"},
    {3, {-3.0f, 9.3f, -1.0f}, {-2.0f, 8.6f, -3.0f}, "down at a statue"},
    {3, {-0.4f, 9.3f, -4.0f}, {-0.7f, 8.65f, -5.0f}, "at the box in the corner"},
    {3, {-4.4f, 9.3f, -5.1f}, {0.0f, 9.3f, -5.1f}, "along the south wall"},
    {3, {-2.5f, 9.3f, -3.5f}, {-2.5f, 11.0f, -2.5f}, "up at the bay"},
    {3, {-2.5f, 9.3f, -2.0f}, {-2.5f, 9.0f, 3.0f}, "away from the statues"},
    {3, {-0.3f, 9.3f, -0.5f}, {5.0f, 9.0f, -0.5f}, "at the east wall"},
    {3, {-1.5f, 9.3f, -2.5f}, {-6.0f, 9.3f, -2.5f}, "west over the statues"},
    {4, {-2.5f, 9.3f, 0.9f}, {-2.5f, 8.7f, 2.6f}, "level 4 from the door"},
    {4, {-2.5f, 9.3f, 2.2f}, {-2.5f, 8.54f, 1.1f}, "down at the maze"},
    {4, {-1.0f, 9.3f, 1.0f}, {-3.0f, 8.54f, 1.1f}, "the maze from the east"},
    {4, {-4.2f, 9.3f, 3.2f}, {-2.5f, 8.54f, 1.1f}, "the maze from the corner"},
    {4, {-3.5f, 9.3f, 1.5f}, {-3.95f, 8.6f, 2.0f}, "down at a hidden box"},
    {4, {-0.3f, 9.3f, 2.0f}, {-0.3f, 9.3f, 5.0f}, "close to the north wall"},
    {4, {-2.5f, 9.3f, 2.0f}, {-2.5f, 11.0f, 1.0f}, "up at the ceiling"},
    {4, {-1.2f, 9.3f, 3.3f}, {-1.2f, 9.1f, -2.0f}, "back towards the partition"},
};

class CullingFrames : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
        window = startHiddenGame(width, height, true);
        ASSERT_NE(window, nullptr);
    }
    static void TearDownTestSuite() {
        renderer.releaseAssets();
        glfwTerminate();
    }
    static GLFWwindow* window;
};
GLFWwindow* CullingFrames::window = nullptr;

struct Shot {
    std::vector<unsigned char> pixels;
    int drawn = 0;
};

// The driver sets the game up for a window of its own size; this window is smaller. The first
// frames are drawn unculled, as the game starts: every program has its "power".
void startFrames(GameDriver& driver) {
    windowWidth = width;
    windowHeight = height;
    playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), width, height);
    setScriptedPresent(keepPresented);
    driver.frame();
    driver.frame();
}

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
    driver.frame();
    return {presented, renderedObjects};
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

// Written for a look when a frame differs.
void writeFrame(const std::string& name, const std::vector<unsigned char>& bottomFirst) {
    const std::string path = std::string(VELMORA_TEST_OUTPUT_DIR) + "/" + name + ".png";
    writePng(path.c_str(), width, height, topRowFirst(bottomFirst).data());
}

TEST_F(CullingFrames, CullingChangesNoPixelAndStillLeavesOutWhatIsOutOfView) {
    GameDriver driver(GameDriver::Rendering::installed);
    testingMode = true;
    spotLight->position = glm::vec3(0.0f, -20.0f, 1.5f);
    // The house well lit, so every surface shows in its own colours.
    visibility = 10.0f;
    startFrames(driver);
    const bool writeAll = std::getenv("VELMORA_WRITE_FRAMES") != nullptr;
    int lessDrawn[5] = {0, 0, 0, 0, 0};
    int index = 0;
    for (const Pose& pose : poses) {
        SCOPED_TRACE("level " + std::to_string(pose.level) + ", " + pose.what);
        const Shot all = shoot(driver, pose, false);
        const Shot culled = shoot(driver, pose, true);
        const long differing = comparePictures(all.pixels, culled.pixels).changed;
        EXPECT_EQ(differing, 0);
        if (differing != 0 || writeAll) {
            const std::string name = "culling_pose" + std::to_string(index);
            writeFrame(name + "_all", all.pixels);
            writeFrame(name + "_culled", culled.pixels);
        }
        EXPECT_LE(culled.drawn, all.drawn);
        lessDrawn[pose.level] += culled.drawn < all.drawn ? 1 : 0;
        ++index;
    }
    for (int level = 1; level <= 4; ++level) {
        EXPECT_GT(lessDrawn[level], 0) << "culling left nothing out in level " << level;
    }
    EXPECT_EQ(driver.console(), "");
    viewFrustumMode = false;
    testingMode = false;
    visibility = 1.0f;
}

// Lit by the torch, as the player plays: an object just outside the view still casts its shadow
// into it, so culling keeps whatever the sphere of radius 1 at its matrix's translation keeps,
// whatever its own (tighter) sphere says. The eyes look past small objects (pieces, places, the
// key's box), each just below, beside or above the view.
const Pose nearlyOutOfView[] = {
    {1, {-2.4f, 8.0f, -1.8f}, {-2.017f, 7.55f, -2.724f}, "a piece just below the view"},
    {1, {-2.4f, 8.0f, -1.8f}, {-1.9f, 7.7f, -2.9f}, "a piece further below"},
    {1, {-2.4f, 8.0f, -1.8f}, {-2.3f, 7.5f, -2.8f}, "the box just below"},
    {1, {-3.0f, 8.0f, -1.0f}, {-1.2f, 7.5f, -2.7f}, "the places beside the view"},
    {1, {-3.0f, 8.0f, -1.0f}, {-4.6f, 7.5f, -2.7f}, "the other side"},
    {1, {-2.0f, 7.6f, -2.0f}, {-2.6f, 8.3f, -3.4f}, "above the pieces"},
};

TEST_F(CullingFrames, ObjectsJustOutOfViewStillCastTheirShadowsIntoIt) {
    GameDriver driver(GameDriver::Rendering::installed);
    testingMode = false;
    startFrames(driver);
    int index = 0;
    for (const Pose& pose : nearlyOutOfView) {
        SCOPED_TRACE(pose.what);
        const Shot all = shoot(driver, pose, false);
        const Shot culled = shoot(driver, pose, true);
        const long differing = comparePictures(all.pixels, culled.pixels).changed;
        EXPECT_EQ(differing, 0);
        if (differing != 0) {
            const std::string name = "lit_pose" + std::to_string(index);
            writeFrame(name + "_all", all.pixels);
            writeFrame(name + "_culled", culled.pixels);
        }
        ++index;
    }
    EXPECT_EQ(driver.console(), "");
    viewFrustumMode = false;
}

// A model that failed to load has no sphere of its own and keeps the sphere of radius 1.
TEST(CullingTest, AModelThatFailedToLoadIsTestedWithRadiusOne) {
    // Looking along -z from the origin, the near plane lies at z = -0.1.
    const Frustum frustum = buildFrustum(glm::vec3(0.0f), glm::vec3(0, 0, -1), width, height);
    std::unique_ptr<Model> missing;
    const struct {
        float z;
        bool kept;
    } cases[] = {{-0.5f, true}, {0.5f, true}, {0.89f, true}, {0.91f, false}, {3.0f, false}};
    for (const auto& c : cases) {
        glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, c.z));
        EXPECT_EQ(entryInFrustum(frustum, {&missing, &matrix}), c.kept) << "at z " << c.z;
    }
}

// The shadow map's depths after a frame, and the primitives the frame handed the driver.
struct LitShot {
    std::vector<unsigned char> pixels;
    std::vector<float> shadowDepth;
    GLuint64 primitives = 0;
};

LitShot shootLit(GameDriver& driver, const Pose& pose, bool culling, bool clipCulling) {
    clipCullingEnabled = clipCulling;
    // The rules judge a statue by the light of the frame before, so the first frame at a pose
    // depends on the pose before; a frame in place first makes the two shots alike.
    shoot(driver, pose, culling);
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_SUBMITTED_ARB, query);
    LitShot shot;
    shot.pixels = shoot(driver, pose, culling).pixels;
    glEndQuery(GL_PRIMITIVES_SUBMITTED_ARB);
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &shot.primitives);
    glDeleteQueries(1, &query);
    shot.shadowDepth.assign(static_cast<size_t>(shadowMapSize) * shadowMapSize, 0.0f);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, shadowMapFbo);
    glReadPixels(0, 0, shadowMapSize, shadowMapSize, GL_DEPTH_COMPONENT, GL_FLOAT,
                 shot.shadowDepth.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    clipCullingEnabled = true;
    return shot;
}

TEST_F(CullingFrames, TrianglesOutsideTheClipVolumeAreLeftOutWithoutChangingAPixelOrAShadow) {
    ASSERT_TRUE(GLEW_ARB_pipeline_statistics_query);
    GameDriver driver(GameDriver::Rendering::installed);
    startFrames(driver);
    int fewer[5] = {0, 0, 0, 0, 0};
    int index = 0;
    for (const Pose& pose : poses) {
        for (const bool culling : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(pose.level) + ", " + pose.what +
                         (culling ? ", culled" : ""));
            const LitShot whole = shootLit(driver, pose, culling, false);
            const LitShot clipped = shootLit(driver, pose, culling, true);
            const long differing = comparePictures(whole.pixels, clipped.pixels).changed;
            EXPECT_EQ(differing, 0);
            if (differing != 0) {
                const std::string name = "clip_pose" + std::to_string(index);
                writeFrame(name + "_whole", whole.pixels);
                writeFrame(name + "_clipped", clipped.pixels);
            }
            const auto firstDepth = std::mismatch(
                whole.shadowDepth.begin(), whole.shadowDepth.end(), clipped.shadowDepth.begin());
            EXPECT_TRUE(firstDepth.first == whole.shadowDepth.end())
                << "shadow depth differs at texel "
                << (firstDepth.first - whole.shadowDepth.begin());
            EXPECT_LE(clipped.primitives, whole.primitives);
            fewer[pose.level] += clipped.primitives < whole.primitives ? 1 : 0;
        }
        ++index;
    }
    for (int level = 1; level <= 4; ++level) {
        EXPECT_GT(fewer[level], 0) << "no triangle was left out in level " << level;
    }
    EXPECT_EQ(driver.console(), "");
    viewFrustumMode = false;
}

// The lit rooms of the four levels, as the benchmark looks at them.
const Pose levelViews[] = {
    {1, {-3.0f, 8.0f, -1.0f}, {-3.0f, 7.6f, -4.0f}, "level 1"},
    {2, {-5.4f, 9.3f, -1.0f}, {-6.5f, 8.4f, -1.0f}, "level 2"},
    {3, {-3.0f, 9.3f, -0.2f}, {-3.0f, 8.9f, -3.0f}, "level 3"},
    {4, {-2.5f, 9.3f, 0.9f}, {-2.5f, 8.7f, 2.6f}, "level 4"},
};

TEST_F(CullingFrames, EveryLevelLitByTheTorchLooksAsItDid) {
    GameDriver driver(GameDriver::Rendering::installed);
    startFrames(driver);
    const bool update = std::getenv("VELMORA_UPDATE_REFERENCE") != nullptr;
    for (const Pose& view : levelViews) {
        for (const bool culling : {false, true}) {
            SCOPED_TRACE(std::string(view.what) + (culling ? ", culled" : ""));
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
                writeFrame(name + (culling ? "_culled" : "_all"),
                           shoot(driver, view, culling).pixels);
                std::cout << view.what << (culling ? " culled" : "") << ": largest difference "
                          << difference.largest << "\n";
            }
        }
    }
    EXPECT_EQ(driver.console(), "");
    viewFrustumMode = false;
}

}  // namespace
