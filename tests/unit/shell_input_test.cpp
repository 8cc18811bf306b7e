// The shell's per-frame input without a window: the option keys with their shared debounce, the
// key callback's routing, and the statistics line.
#include <gtest/gtest.h>

#include <sstream>

#include "app/FrameLoop.h"
#include "app/OptionKeys.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "game/GameState.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"
#include "support/FakeKeys.h"

namespace {

// What the option keys asked of the renderer.
struct RendererCalls {
    int wireframeOn = 0;
    int wireframeOff = 0;
    int blendingOn = 0;
    int blendingOff = 0;
};
RendererCalls calls;

class ShellInputTest : public testing::Test {
protected:
    void SetUp() override {
        calls = RendererCalls{};
        renderer.setWireframe = [](bool on) { ++(on ? calls.wireframeOn : calls.wireframeOff); };
        renderer.setBlending = [](bool on) { ++(on ? calls.blendingOn : calls.blendingOff); };
        toggleTimer = 0.0f;
        hideStatistics = true;
        wireframeOff = true;
        blendingOff = true;
        nearestNeighborMode = false;
        mipMapping = false;
        mipMapLinear = false;
        viewFrustumMode = false;
        visibility = 1.0f;
        boardMode = false;
        lowerLatch = true;
        playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), 0, 0);
        spotLight = std::make_unique<Light>(glm::vec3(0.0f, 0.0f, 1.5f), false);
    }
    void TearDown() override {
        renderer = openGlRenderer;
        playerCamera.reset();
        spotLight.reset();
    }
    // One frame of the loop's option handling with a steady frame time.
    void frame(float dt = 0.1f) {
        toggleTimer += dt;
        processOptionKeys(nullptr, lowerToggle, out);
        playerCamera->updateView();
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    FakeKeys keys;
    bool lowerToggle = true;
    std::ostringstream out;
};

TEST_F(ShellInputTest, HeldKeyTogglesAtMostEveryHalfSecond) {
    keys.press(key::f3);
    // Twelve frames of 0.1 s: toggles when the timer passes 0.5 strictly, i.e. twice in 1.2 s.
    for (int i = 0; i < 12; ++i) {
        frame();
    }
    EXPECT_EQ(calls.wireframeOn, 1);
    EXPECT_EQ(calls.wireframeOff, 1);
    EXPECT_TRUE(wireframeOff);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Activate wireframe-mode.",
                                                    "Deactivated wireframe-mode."}));

    // Exactly half a second is not enough.
    keys.releaseAll();
    toggleTimer = 0.0f;
    frame(0.5f);
    keys.press(key::f2);
    frame(0.0f);
    EXPECT_TRUE(hideStatistics);
    frame(0.001f);
    EXPECT_FALSE(hideStatistics);
}

TEST_F(ShellInputTest, FirstKeyInOrderWinsAndLocksTheOthers) {
    keys.press(key::f3);
    keys.press(key::f4);
    for (int i = 0; i < 30; ++i) {
        frame();
    }
    EXPECT_FALSE(nearestNeighborMode);
    EXPECT_EQ(calls.wireframeOn + calls.wireframeOff, 5);

    keys.releaseAll();
    keys.press(key::f9);
    keys.press(key::f8);
    frame(1.0f);
    EXPECT_EQ(calls.blendingOn, 1);
    EXPECT_FALSE(viewFrustumMode);
    keys.release(key::f9);
    frame(1.0f);
    EXPECT_TRUE(viewFrustumMode);
    keys.releaseAll();
    keys.press(key::f9);
    frame(1.0f);
    EXPECT_EQ(calls.blendingOff, 1);
    EXPECT_EQ(messages().back(), "Deactivated Blending-mode.");
}

TEST_F(ShellInputTest, EveryOptionKeyWritesItsMessage) {
    const auto tap = [this](int keyCode) {
        keys.press(keyCode);
        frame(1.0f);
        keys.release(keyCode);
    };
    tap(key::f4);
    tap(key::f4);
    tap(key::f8);
    tap(key::f8);
    for (int i = 0; i < 4; ++i) {
        tap(key::f5);
    }
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Activate Nearest Neighbor-mode. Deactivated Bilinear-mode.",
                              "Deactivated Nearest Neighbor-mode. Activate Bilinear-mode.",
                              "Activate Viewfrustum-mode.",
                              "Deactivated Viewfrustum-mode.",
                              "Activate Mip Mapping with linear-mode.",
                              "Activate Mip Mapping with Nearest Neighbor-mode. (Deactivated "
                              "Linear-mode.)",
                              "Deaktivate Mip Mapping-mode.",
                              "Activate Mip Mapping with linear-mode.",
                          }));
    EXPECT_TRUE(mipMapping);
    EXPECT_TRUE(mipMapLinear);
}

TEST_F(ShellInputTest, LoweredStanceAlternatesAndNeverRaisesTheCamera) {
    const auto tapF6 = [this] {
        keys.press(key::f6);
        frame(1.0f);
        keys.release(key::f6);
        frame(0.0f);
    };
    tapF6();
    EXPECT_TRUE(playerCamera->lowered);
    EXPECT_TRUE(spotLight->heightLocked);
    EXPECT_NEAR(playerCamera->position.y, 7.8f, 1e-6f);
    tapF6();
    EXPECT_FALSE(playerCamera->lowered);
    EXPECT_FALSE(spotLight->heightLocked);
    EXPECT_NEAR(playerCamera->position.y, 7.8f, 1e-6f);
    tapF6();
    EXPECT_NEAR(playerCamera->position.y, 7.6f, 1e-6f);
    EXPECT_EQ(out.str(), "");
}

TEST_F(ShellInputTest, ArrowsChangeBrightnessOnEveryEventWithinOneToTen) {
    // A tap is a press and a release: two steps.
    keyCallback(nullptr, key::up, 0, 1, 0);
    keyCallback(nullptr, key::up, 0, 0, 0);
    EXPECT_FLOAT_EQ(visibility, 3.0f);
    for (int i = 0; i < 20; ++i) {
        keyCallback(nullptr, key::up, 0, 2, 0);
    }
    EXPECT_FLOAT_EQ(visibility, 10.0f);
    for (int i = 0; i < 20; ++i) {
        keyCallback(nullptr, key::down, 0, 1, 0);
    }
    EXPECT_FLOAT_EQ(visibility, 1.0f);
    // The arrows still work on the board, and never reach it.
    boardMode = true;
    keyCallback(nullptr, key::up, 0, 1, 0);
    EXPECT_FLOAT_EQ(visibility, 2.0f);
}

TEST_F(ShellInputTest, KeyEventsMoveTheCameraOrGoToTheBoard) {
    playerCamera->moveStep = 0.5f;
    keys.press(key::w);
    keyCallback(nullptr, key::w, 0, 1, 0);
    EXPECT_NEAR(playerCamera->position.z, -1.5f, 1e-6f);
    // G only repeats the action keys' tests: nothing is held, nothing happens.
    keyCallback(nullptr, key::g, 0, 1, 0);
    EXPECT_NEAR(playerCamera->position.z, -1.5f, 1e-6f);
    keys.releaseAll();
    keys.press(key::tab);
    keyCallback(nullptr, key::tab, 0, 1, 0);
    EXPECT_FLOAT_EQ(playerCamera->position.y, 7.5f);

    // While the board has the keyboard the camera does not move.
    keys.releaseAll();
    keys.press(key::w);
    boardMode = true;
    keyCallback(nullptr, key::w, 0, 1, 0);
    EXPECT_NEAR(playerCamera->position.z, -1.5f, 1e-6f);
}

TEST(StatisticsLine, HasTheExactLayout) {
    renderedObjects = 25;
    std::ostringstream out;
    writeStatistics(out, 0.016f);
    EXPECT_EQ(out.str(), "frametime:16ms =~ 62.5fps \n rendered Objects25\n");
    out.str("");
    writeStatistics(out, 0.0f);
    EXPECT_EQ(out.str(), "frametime:0ms =~ inffps \n rendered Objects25\n");
}

}  // namespace
