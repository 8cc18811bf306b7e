// The scripted player through the real renderer: the whole game played to the win, with a
// picture of every milestone written to the build tree (test-output/playthrough/), so a person can
// page through the game. Checks that each picture shows something and that they differ.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
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

namespace {

constexpr int width = 800;
constexpr int height = 450;
const std::filesystem::path folder = std::filesystem::path(VELMORA_TEST_OUTPUT_DIR) / "playthrough";
std::vector<std::string> pictures;
std::string picturePath;
GameDriver* player = nullptr;

void keepPicture(GLFWwindow*) {
    if (saveFramebufferPng(picturePath, width, height)) {
        pictures.push_back(picturePath);
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

// Mean brightness and a coarse fingerprint of a picture.
struct Look {
    double brightness = 0.0;
    std::vector<int> cells;
};

Look lookOf(const std::string& path) {
    Look look;
    int w = 0;
    int h = 0;
    unsigned char* pixels = nullptr;
    if (!readPng(path.c_str(), w, h, &pixels)) {
        return look;
    }
    look.cells.assign(64, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = pixels + (static_cast<size_t>(y) * w + x) * 3;
            const int value = p[0] + p[1] + p[2];
            look.brightness += value;
            look.cells[(y * 8 / h) * 8 + x * 8 / w] += value;
        }
    }
    look.brightness /= 3.0 * w * h;
    freePng(pixels);
    return look;
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
    std::vector<Look> looks;
    for (const std::string& path : pictures) {
        looks.push_back(lookOf(path));
        // Lit by the torch, never a black screen.
        EXPECT_GT(looks.back().brightness, 8.0) << path;
    }
    for (size_t i = 1; i < looks.size(); ++i) {
        EXPECT_NE(looks[i].cells, looks[i - 1].cells) << pictures[i];
    }
    renderer.releaseAssets();
    glfwTerminate();
}

}  // namespace
