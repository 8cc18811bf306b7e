// A full frame of the real game (real start-up, real shaders, real data, every pass) compared
// with a committed reference picture: level 1 from the start position, turned towards the puzzle;
// the camera (and the torch with it) does not move. VELMORA_UPDATE_REFERENCE=1 writes a new
// reference.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "render/Snapshot.h"
#include "scene/Renderer.h"
#include "support/GlContext.h"
#include "support/Reference.h"

namespace {

constexpr int width = 320;
constexpr int height = 180;

std::string written() {
    return std::string(VELMORA_TEST_OUTPUT_DIR) + "/frame_reference.png";
}

TEST(FrameReference, StartOfLevelOneLooksAsItDid) {
    ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
    GLFWwindow* window = startHiddenGame(width, height, false);
    ASSERT_NE(window, nullptr);
    // Turned a little to the right and down, towards the pieces, the box and the places.
    playerCamera->yaw = -0.35f;
    playerCamera->pitch = -0.25f;
    playerCamera->front = glm::vec3(std::sin(-0.35f), std::sin(-0.25f), -std::cos(-0.35f));
    // The player's frame loop; the fourth frame is kept where it would be presented.
    std::ostringstream console;
    installScriptedWindow(1.0f / 60.0f, glfwSwapBuffers);
    FrameLoopState loop;
    for (int frame = 0; frame < 3; ++frame) {
        runFrame(window, loop, console);
    }
    setScriptedPresent([](GLFWwindow*) {
        glFinish();
        const std::string reference =
            std::string(VELMORA_SOURCE_DIR) + "/tests/gl/reference/frame_level1.png";
        if (std::getenv("VELMORA_UPDATE_REFERENCE") != nullptr) {
            saveFramebufferPng(reference, width, height);
        }
        saveFramebufferPng(written(), width, height);
    });
    runFrame(window, loop, console);
    uninstallScriptedWindow();
    EXPECT_EQ(console.str(), "");
    const std::string reference =
        std::string(VELMORA_SOURCE_DIR) + "/tests/gl/reference/frame_level1.png";
    int w = 0;
    int h = 0;
    unsigned char* pixels = nullptr;
    ASSERT_TRUE(readPng(written().c_str(), w, h, &pixels));
    const std::vector<unsigned char> picture(pixels, pixels + static_cast<size_t>(w) * h * 3);
    freePng(pixels);

    const PictureDifference difference = compareWithReference(picture, width, height, reference);
    ASSERT_TRUE(difference.referenceRead) << "no reference; this run's picture is " << written();
    EXPECT_LE(difference.largest, 96) << "see " << written();
    EXPECT_LE(difference.differingShare, 0.02) << "see " << written();
    renderer.releaseAssets();
    glfwTerminate();
}

}  // namespace
