// The depth pre-pass seen from up close: frames of the real game (real start-up, real shaders,
// real data, the player's frame loop) with and without the pre-pass are the same pixel for pixel
// when the eye stands 0.15 to 1 unit from a wall, the floor or an object it faces, in every level
// and at two window sizes. Close up, depths differ least between neighbouring surfaces, so a
// pre-pass whose depths are not exactly the main pass's (or that pushes them back by an offset)
// shows here as lost or wrongly shown surfaces. The pre-pass draws with no polygon offset.
// Close up, too, the near plane cuts through what is drawn: frames with and without leaving out
// the triangles outside the clip volume are the same as well.
//
// Far away the same holds: from the lawn's corner, looking all round, surfaces whose depth rounds
// to the far plane's stay the clear colour with the pre-pass as without it. A window without a
// stencil buffer is drawn without the pre-pass, the same picture again.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtx/intersect.hpp>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Assets.h"
#include "render/ClipCulling.h"
#include "render/Snapshot.h"
#include "scene/DepthPrepass.h"
#include "scene/EnvPass.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"
#include "support/GlContext.h"
#include "support/Reference.h"
#include "support/ScratchRun.h"

namespace {

// Where the player stands in each level, inside its room (the same spots the pass tests use).
const glm::vec3 levelStart[4] = {
    {-3.0f, 8.0f, -1.0f}, {-5.4f, 9.3f, -1.0f}, {-3.0f, 9.3f, -0.2f}, {-2.5f, 9.3f, 0.9f}};

// An object of each level to walk up to.
struct Object {
    const std::unique_ptr<Model>* model;
    const glm::mat4* matrix;
};
const Object levelObject[4] = {{&level1Part1Model, &level1Part1Transform},
                               {&boardModel, &boardTransform},
                               {&statue1Model, &statue1Transform},
                               {&hiddenKeyBox1Model, &hiddenKeyBox1Transform}};

constexpr float distances[] = {0.15f, 0.4f, 1.0f};
constexpr float none = std::numeric_limits<float>::infinity();

// Distance along the ray (unit direction) to the nearest triangle of the placed model.
float rayDistance(const Model& model, const glm::mat4& matrix, const glm::vec3& origin,
                  const glm::vec3& direction) {
    float nearest = none;
    for (const Mesh& mesh : model.meshes) {
        for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
            glm::vec3 corner[3];
            for (int k = 0; k < 3; ++k) {
                corner[k] =
                    glm::vec3(matrix * glm::vec4(mesh.vertices[mesh.indices[i + k]].position, 1));
            }
            glm::vec2 barycentric(0.0f);
            float t = none;
            if (glm::intersectRayTriangle(origin, direction, corner[0], corner[1], corner[2],
                                          barycentric, t) &&
                t > 1e-4f && t < nearest) {
                nearest = t;
            }
        }
    }
    return nearest;
}

struct Pose {
    glm::vec3 eye;
    glm::vec3 front;
    std::string what;
};

// Poses facing the nearest wall (head-on and at a slant), the floor below and the level's object.
std::vector<Pose> posesFor(int level) {
    std::vector<Pose> poses;
    const glm::vec3 start = levelStart[level - 1];
    const Model& house = *houseModel;
    // The nearest wall along the four horizontal axes.
    const glm::vec3 axes[4] = {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};
    glm::vec3 wallDirection = axes[0];
    float wall = none;
    for (const glm::vec3& axis : axes) {
        const float d = rayDistance(house, houseTransform, start, axis);
        if (d < wall) {
            wall = d;
            wallDirection = axis;
        }
    }
    const float floor = rayDistance(house, houseTransform, start, glm::vec3(0, -1, 0));
    EXPECT_TRUE(wall < 20.0f && floor < 5.0f) << "level " << level << ": no wall or floor found";
    const glm::vec3 wallHit = start + wall * wallDirection;
    const glm::vec3 floorHit = start - glm::vec3(0, floor, 0);
    for (const float d : distances) {
        poses.push_back(
            {wallHit - d * wallDirection, wallDirection, "wall at " + std::to_string(d)});
        // Steeply down (straight down would leave the view without an up direction).
        poses.push_back({floorHit + glm::vec3(0, d, 0), glm::normalize(glm::vec3(0.25f, -1, 0.15f)),
                         "floor at " + std::to_string(d)});
    }
    // Looking along the wall at a slant, where depth changes fastest across the picture.
    const glm::vec3 slant =
        glm::normalize(wallDirection + 0.7f * glm::vec3(-wallDirection.z, 0, wallDirection.x));
    poses.push_back({wallHit - 0.3f * wallDirection, slant, "wall aslant at 0.3"});
    const Object& object = levelObject[level - 1];
    const glm::vec3 centre = positionOf(*object.matrix) + glm::vec3(0, 0.05f, 0);
    const glm::vec3 towards = glm::normalize(centre - start);
    const float reach = rayDistance(**object.model, *object.matrix, start, towards);
    const glm::vec3 surface = reach < none ? start + reach * towards : centre;
    for (const float d : distances) {
        poses.push_back({surface - d * towards, towards, "object at " + std::to_string(d)});
    }
    return poses;
}

// Views from the lawn's corner towards the house and over the lawn, all round and at four
// pitches: much of what they see lies near the far plane.
std::vector<Pose> farViews(int) {
    std::vector<Pose> poses;
    const glm::vec3 corner(-31.5f, 6.6f, -33.5f);
    for (int step = 0; step < 48; ++step) {
        const float yaw = glm::radians(7.5f * static_cast<float>(step));
        for (const float pitch : {-0.06f, 0.0f, 0.08f, 0.2f}) {
            const glm::vec3 front = glm::normalize(glm::vec3(std::sin(yaw), pitch, -std::cos(yaw)));
            poses.push_back({corner, front, "far view " + std::to_string(step)});
        }
    }
    return poses;
}

// The window hints the game gives, as last given before the window opens.
int stencilHint = -1;
int retinaHint = -1;

// The picture presented by the frame loop, read where it would go to the screen.
int pictureWidth = 0;
int pictureHeight = 0;
std::vector<unsigned char> presented;

void keepPicture(GLFWwindow*) {
    readPixelsRgb(pictureWidth, pictureHeight, presented.data());
}

// How often a depth-only stand-in program was made current.
PFNGLUSEPROGRAMPROC realUseProgram = nullptr;
int depthOnlyUses = 0;

void GLAPIENTRY watchUseProgram(GLuint program) {
    realUseProgram(program);
    depthOnlyUses += (mainDepthOnlyShader && program == mainDepthOnlyShader->programId) ||
                     (envDepthOnlyShader && program == envDepthOnlyShader->programId);
}

// The hidden start's own hook (the debug context), and one that asks for no stencil after it.
void (*usualBeforeWindow)() = nullptr;

void noStencilWanted() {
    if (usualBeforeWindow != nullptr) {
        usualBeforeWindow();
    }
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
}

using PoseSource = std::vector<Pose> (*)(int level);

// With and without the pre-pass, the same picture at every pose; where the window has no stencil,
// the pre-pass does not run.
void comparePosesAt(int width, int height, PoseSource posesOf = posesFor, int levels = 4,
                    bool stencil = true, const std::string& runDirectory = VELMORA_RUN_DIR) {
    ASSERT_EQ(chdir(runDirectory.c_str()), 0);
    // The cube map belongs to the context that built it; a fresh start builds its own.
    envCubeMapLoaded = false;
    stencilHint = -1;
    retinaHint = -1;
    usualBeforeWindow = hiddenStartHooks.beforeWindow;
    if (!stencil) {
        hiddenStartHooks.beforeWindow = noStencilWanted;
    }
    GLFWwindow* window = startHiddenGame(width, height, false);
    hiddenStartHooks.beforeWindow = usualBeforeWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowHasStencil(), stencil);
    realUseProgram = __glewUseProgram;
    __glewUseProgram = watchUseProgram;
    pictureWidth = width;
    pictureHeight = height;
    presented.assign(static_cast<size_t>(width) * height * 3, 0);
    installScriptedWindow(1.0f / 60.0f, keepPicture);
    std::ostringstream console;
    FrameLoopState loop;
    // The game's frames at each pose, starting from the same state each time, so the pre-pass is
    // the only difference between the two pictures.
    const auto frameAt = [&](int level, const Pose& pose, bool prepass) {
        resetGameState();
        layoutScene();
        currentLevel = level;
        playerCamera->position = pose.eye;
        playerCamera->front = pose.front;
        depthPrepassEnabled = prepass;
        runFrame(window, loop, console);
        return presented;
    };
    for (int level = 1; level <= levels; ++level) {
        for (const Pose& pose : posesOf(level)) {
            SCOPED_TRACE("level " + std::to_string(level) + ", " + pose.what + ", " +
                         std::to_string(width) + " x " + std::to_string(height));
            const std::vector<unsigned char> plain = frameAt(level, pose, false);
            const int plainCount = renderedObjects;
            depthOnlyUses = 0;
            const std::vector<unsigned char> withPrepass = frameAt(level, pose, true);
            EXPECT_EQ(depthOnlyUses > 0, stencil) << "the pre-pass ran: " << depthOnlyUses;
            // The pre-pass counts nothing and leaves the plain depth test behind it.
            EXPECT_EQ(renderedObjects, plainCount);
            GLint depthFunction = 0;
            glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
            EXPECT_EQ(depthFunction, GL_LESS);
            EXPECT_EQ(comparePictures(plain, withPrepass).changed, 0)
                << "pixels that differ of " << plain.size() / 3;
            clipCullingEnabled = false;
            const std::vector<unsigned char> unclipped = frameAt(level, pose, true);
            clipCullingEnabled = true;
            EXPECT_EQ(comparePictures(unclipped, withPrepass).changed, 0)
                << "pixels that differ without clip culling, of " << plain.size() / 3;
        }
    }
    EXPECT_EQ(console.str(), "");
    depthPrepassEnabled = true;
    uninstallScriptedWindow();
    __glewUseProgram = realUseProgram;
    renderer.releaseAssets();
    glfwTerminate();
}

TEST(PrepassCloseUp, SamePictureWithAndWithoutAtTheSmallWindow) {
    comparePosesAt(320, 240);
}

TEST(PrepassCloseUp, SamePictureWithAndWithoutAtTheWideWindow) {
    comparePosesAt(640, 360);
}

TEST(PrepassCloseUp, SamePictureWithAndWithoutInFarViews) {
    comparePosesAt(640, 360, farViews, 1);
    // The game asks for the stencil the pre-pass needs, and for a framebuffer of the window's size
    // where a high-density display would offer a larger one.
    EXPECT_EQ(stencilHint, 8);
    EXPECT_EQ(retinaHint, GLFW_FALSE);
}

TEST(PrepassCloseUp, AWindowWithoutStencilIsDrawnWithoutThePrepass) {
    comparePosesAt(320, 240, posesFor, 4, false);
}

// The depth-only programs' fragment stage is the game's own: the shadow pass's data file may do
// what it likes with its fragments' depth.
TEST(PrepassCloseUp, SamePictureWhateverTheShadowDepthStageWrites) {
    const ScratchRun run;
    run.write("Shadow_depth_frag",
              "#version 330 core\nvoid main() {\n    gl_FragDepth = 0.25;\n}\n");
    comparePosesAt(320, 240, posesFor, 1, true, run.path());
}

}  // namespace

// Sees the game's window hints on their way to GLFW.
extern "C" void glfwWindowHint(int hint, int value) {
    using Hint = void (*)(int, int);
    static const auto next = reinterpret_cast<Hint>(dlsym(RTLD_NEXT, "glfwWindowHint"));
    if (hint == GLFW_STENCIL_BITS) {
        stencilHint = value;
    } else if (hint == GLFW_COCOA_RETINA_FRAMEBUFFER) {
        retinaHint = value;
    }
    next(hint, value);
}
