// Steady frames of the real game (real shaders, real data): once running, a frame allocates
// nothing and looks up no uniform location, and the locations kept are the ones a fresh look-up
// returns.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>
#include <sstream>
#include <string>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "app/OptionKeys.h"
#include "camera/Camera.h"
#include "game/GameState.h"
#include "render/Assets.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"
#include "support/HeapHooks.h"

namespace {

int allocations = 0;

void countAllocations(bool on) {
    heap::onAllocate = on ? +[](void*) { ++allocations; } : nullptr;
}

int lookups = 0;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;

GLint GLAPIENTRY countLookup(GLuint program, const GLchar* name) {
    ++lookups;
    return realGetUniformLocation(program, name);
}

// Every uniform the passes upload, to any of the three programs.
const char* const passUniforms[] = {
    "visibility", "objectColor", "lightColor", "lightPos", "viewPos",    "direction",
    "cutOff",     "cutOff2",     "cutOff3",    "view",     "projection", "tModel",
    "power",      "lsm",         "shadowMap",  "pcf",      "M_VL_PL_L"};

class SteadyFrames : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
        window = startHiddenGame(320, 180, false);
        ASSERT_NE(window, nullptr);
        realGetUniformLocation = __glewGetUniformLocation;
        __glewGetUniformLocation = countLookup;
        // The player's frame loop with fixed frame times.
        installScriptedWindow(1.0f / 60.0f, glfwSwapBuffers);
    }
    void TearDown() override {
        countAllocations(false);
        currentLevel = 1;
        viewFrustumMode = false;
        nearestNeighborMode = false;
        mipMapping = false;
        mipMapLinear = false;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // Frames in every level, culling off and on and every filter option, as a player switches.
    void runVariedFrames(std::ostream& console) {
        for (int level = 1; level <= 4; ++level) {
            currentLevel = level;
            for (int frame = 0; frame < 8; ++frame) {
                viewFrustumMode = frame % 2 == 1;
                nearestNeighborMode = frame % 4 >= 2;
                mipMapping = frame >= 4;
                mipMapLinear = frame >= 6;
                playerCamera->front =
                    glm::vec3(0.3f * static_cast<float>(frame % 3 - 1), -0.1f, -1.0f);
                runFrame(window, loop, console);
            }
        }
    }
    static GLFWwindow* window;
    FrameLoopState loop;
};
GLFWwindow* SteadyFrames::window = nullptr;

TEST_F(SteadyFrames, AllocateNothingAndLookUpNoUniformLocation) {
    // The stream has no buffer: the statistics line, when on, must not allocate either.
    std::ostream console(nullptr);
    // The first frames build the cube map and keep every location; they raise no OpenGL error,
    // which the frame loop would report as its error line.
    std::ostringstream errors;
    runVariedFrames(errors);
    EXPECT_EQ(errors.str(), "");
    hideStatistics = false;
    allocations = 0;
    lookups = 0;
    countAllocations(true);
    runVariedFrames(console);
    countAllocations(false);
    hideStatistics = true;
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(lookups, 0);
}

// Kept locations are the ones a fresh look-up returns, for the game's programs.
TEST_F(SteadyFrames, KeptLocationsAreWhatAFreshLookUpReturns) {
    for (const Shader* shader : {mainShader.get(), depthShader.get(), envMapShader.get()}) {
        for (const char* name : passUniforms) {
            const GLint fresh = realGetUniformLocation(shader->programId, name);
            EXPECT_EQ(uniformLocation(shader->programId, name), fresh) << name;
            EXPECT_EQ(uniformLocation(shader->programId, name), fresh) << name;
        }
    }
}

}  // namespace
