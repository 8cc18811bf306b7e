// The scripted player through the real renderer: the whole game played to the win, with a
// picture of every milestone written to the build tree (test-output/playthrough/), so a person can
// page through the game. Checks that each picture shows something new.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include <GLFW/glfw3.h>

#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Snapshot.h"
#include "scene/Renderer.h"
#include "support/GameDriver.h"
#include "support/GlContext.h"
#include "support/Playthrough.h"
#include "support/Reference.h"

namespace {

constexpr int width = 800;
constexpr int height = 450;
const std::filesystem::path folder = std::filesystem::path(VELMORA_TEST_OUTPUT_DIR) / "playthrough";
// The pictures kept, bottom row first.
std::vector<std::vector<unsigned char>> pictures;
std::string picturePath;
GameDriver* player = nullptr;

void keepPicture(GLFWwindow*) {
    if (saveFramebufferPng(picturePath, width, height)) {
        pictures.emplace_back(static_cast<size_t>(width) * height * 3);
        readPixelsRgb(width, height, pictures.back().data());
    }
}

// Runs the next frame of the game with the real renderer and keeps the picture it presents; the
// frames in between are only recorded, which keeps the long play quick.
void takePicture(const char* name) {
    // The driver's window size stands for the real one; the passes read these.
    windowWidth = width;
    windowHeight = height;
    picturePath = (folder / (std::string(pictures.size() < 9 ? "0" : "") +
                             std::to_string(pictures.size() + 1) + "-" + name + ".png"))
                      .string();
    const Renderer recording = renderer;
    renderer = openGlRenderer;
    setScriptedPresent(keepPicture);
    player->frame();
    setScriptedPresent(nullptr);
    renderer = recording;
}

TEST(PlaythroughPictures, EveryMilestoneIsPictured) {
    ASSERT_EQ(chdir(VELMORA_RUN_DIR), 0);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    GLFWwindow* window = startHiddenGame(width, height, false);
    ASSERT_NE(window, nullptr);

    CoutCapture out;
    GameDriver game;
    player = &game;
    setMilestoneHook(takePicture);
    ASSERT_NO_FATAL_FAILURE(playLevel1(game));
    ASSERT_NO_FATAL_FAILURE(playLevel2(game));
    ASSERT_NO_FATAL_FAILURE(playLevel3(game));
    ASSERT_NO_FATAL_FAILURE(playLevel4(game));
    setMilestoneHook(nullptr);
    player = nullptr;
    EXPECT_EQ(out.text(), "YOU WON");
    EXPECT_EQ(game.console(), "");
    EXPECT_EQ(GameDriver::blendingSwitches(), 1);
    EXPECT_FALSE(gameOver);
    // The companion walked both of its walks to the end: up the tower, then through door 3.
    EXPECT_EQ(walkScript, 3);
    expectNear(positionOf(playerBodyTransform), {-0.29f, 8.875f, -1.0f}, 0.02f);

    ASSERT_EQ(pictures.size(), 13u);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const std::vector<unsigned char>& picture = pictures[i];
        // Lit by the torch, never a black screen, and each milestone shows something new.
        EXPECT_GT(std::accumulate(picture.begin(), picture.end(), 0.0) / picture.size(), 8.0) << i;
        EXPECT_TRUE(i == 0 || comparePictures(pictures[i - 1], picture).changed > 0) << i;
    }
    renderer.releaseAssets();
    glfwTerminate();
}

}  // namespace
