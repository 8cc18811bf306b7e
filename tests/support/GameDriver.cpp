#include "support/GameDriver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <memory>

#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/Board.h"
#include "game/Click.h"
#include "game/Effects.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

std::array<bool, 512> keysDown{};
int blendingCount = 0;

bool fakeKeyDown(GLFWwindow* /*window*/, int keyCode) {
    return keyCode >= 0 && keyCode < static_cast<int>(keysDown.size()) && keysDown[keyCode];
}

void countBlending() {
    ++blendingCount;
}

constexpr double degree = 0.017453292519943295;
// Mouse look turns 0.3 degrees per pixel.
constexpr double radiansPerPixel = 0.3 * degree;
// A brisk but human turn: 9 degrees per frame.
constexpr double pixelsPerFrame = 30.0;
constexpr double pi = 3.14159265358979323846;
const glm::vec3 boardCameraPosition(-5.4f, 9.3f, -1.0f);

double wrapAngle(double radians) {
    while (radians > pi) {
        radians -= 2.0 * pi;
    }
    while (radians < -pi) {
        radians += 2.0 * pi;
    }
    return radians;
}

float horizontalDistance(float x, float z) {
    const glm::vec3 eye = playerCamera->position;
    return std::hypot(x - eye.x, z - eye.z);
}

}  // namespace

CoutCapture::CoutCapture() : previous(std::cout.rdbuf(captured.rdbuf())) {}

CoutCapture::~CoutCapture() {
    std::cout.rdbuf(previous);
}

GameDriver::GameDriver() {
    resetGameState();
    layoutScene();
    testingMode = false;
    windowWidth = 1000;
    windowHeight = 800;
    lowerLatch = true;
    playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), 0, 0);
    spotLight = std::make_unique<Light>(glm::vec3(0.0f, 0.0f, 1.5f), false);
    lastCursorX = 500.0;
    lastCursorY = 400.0;
    keysDown.fill(false);
    setKeyPoller(fakeKeyDown);
    blendingCount = 0;
    setBlendingEffect(countBlending);
}

GameDriver::~GameDriver() {
    setKeyPoller(nullptr);
    setBlendingEffect(nullptr);
    keysDown.fill(false);
}

int GameDriver::blendingSwitches() {
    return blendingCount;
}

void GameDriver::frame() {
    if (boardMode) {
        playerCamera->position = boardCameraPosition;
    } else {
        playerCamera->processMovementKeys(nullptr);
    }
    advanceJump(*playerCamera, frameTime);
    updateGame(frameTime);
    playerCamera->updateView();
    followPlayerLight();
    ++frameCount;
}

void GameDriver::run(float seconds) {
    const int count = static_cast<int>(std::lround(seconds / frameTime));
    for (int i = 0; i < count; ++i) {
        frame();
    }
}

// Routed as the shell's key callback routes it: the board takes every key while it is active.
void GameDriver::keyEvent(int keyCode) {
    if (keyCode == key::up || keyCode == key::down) {
        return;
    }
    if (boardMode) {
        handleBoardKeys(nullptr, keyCode, 0, 0, 0);
    } else if (keyCode == key::tab || keyCode == key::space || keyCode == key::g) {
        playerCamera->processActionKeys(nullptr);
    } else {
        playerCamera->processMovementKeys(nullptr);
    }
}

void GameDriver::press(int keyCode) {
    keysDown.at(static_cast<std::size_t>(keyCode)) = true;
    keyEvent(keyCode);
}

void GameDriver::release(int keyCode) {
    keysDown.at(static_cast<std::size_t>(keyCode)) = false;
    keyEvent(keyCode);
}

void GameDriver::pressTogether(int firstKeyCode, int secondKeyCode) {
    keysDown.at(static_cast<std::size_t>(firstKeyCode)) = true;
    keysDown.at(static_cast<std::size_t>(secondKeyCode)) = true;
    keyEvent(firstKeyCode);
    keyEvent(secondKeyCode);
}

void GameDriver::tap(int keyCode) {
    press(keyCode);
    run(0.1f);
    release(keyCode);
    run(0.15f);
}

void GameDriver::click() {
    handleClick(nullptr, 0, 1, 0);
}

void GameDriver::moveMouse(double dx, double dy) {
    lookAndWrapCursor(lastCursorX + dx, lastCursorY + dy);
}

void GameDriver::turnTo(float yaw, float pitch) {
    for (int guard = 0; guard < 10000; ++guard) {
        const double dx = wrapAngle(yaw - playerCamera->yaw) / radiansPerPixel;
        // Moving the mouse down lowers the view.
        const double dy = (playerCamera->pitch - pitch) / radiansPerPixel;
        if (std::fabs(dx) < 1e-3 && std::fabs(dy) < 1e-3) {
            return;
        }
        moveMouse(std::clamp(dx, -pixelsPerFrame, pixelsPerFrame),
                  std::clamp(dy, -pixelsPerFrame, pixelsPerFrame));
        frame();
    }
}

void GameDriver::lookAt(const glm::vec3& target) {
    const glm::vec3 d = target - playerCamera->position;
    const float across = std::hypot(d.x, d.z);
    // The view's vertical part is sin(pitch) against a horizontal part of length one.
    const float slope = std::clamp(d.y / across, -0.97f, 0.97f);
    turnTo(std::atan2(d.x, -d.z), std::asin(slope));
}

void GameDriver::holdWhile(const int* keyCodes, int count, float stepLength, float distanceLeft) {
    if (distanceLeft <= stepLength) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        press(keyCodes[i]);
    }
    // The press event has moved one step; every frame moves one more.
    for (distanceLeft -= stepLength; distanceLeft > stepLength; distanceLeft -= stepLength) {
        frame();
    }
    for (int i = 0; i < count; ++i) {
        release(keyCodes[i]);
    }
}

void GameDriver::walkTo(float x, float z) {
    const glm::vec3 eye = playerCamera->position;
    if (horizontalDistance(x, z) <= frameTime) {
        return;
    }
    turnTo(std::atan2(x - eye.x, -(z - eye.z)), 0.0f);
    const int forward[] = {key::w};
    holdWhile(forward, 1, frameTime, horizontalDistance(x, z));
}

void GameDriver::walkWatching(float x, float z, const glm::vec3& watched) {
    struct Gait {
        int keys[2];
        int count;
        // Direction of travel relative to the view, turning towards +x from -z.
        double angle;
        double stepFactor;
    };
    const double diagonal = std::sqrt(2.0);
    const Gait gaits[] = {
        {{key::w, 0}, 1, 0.0, 1.0},     {{key::w, key::d}, 2, pi / 4, diagonal},
        {{key::d, 0}, 1, pi / 2, 1.0},  {{key::s, key::d}, 2, 3 * pi / 4, diagonal},
        {{key::s, 0}, 1, pi, 1.0},      {{key::s, key::a}, 2, -3 * pi / 4, diagonal},
        {{key::a, 0}, 1, -pi / 2, 1.0}, {{key::w, key::a}, 2, -pi / 4, diagonal},
    };
    for (int guard = 0; guard < 1000 && horizontalDistance(x, z) > 2.0f * frameTime; ++guard) {
        const glm::vec3 eye = playerCamera->position;
        const double travel = std::atan2(x - eye.x, -(z - eye.z));
        const glm::vec3 toWatched = watched - eye;
        const double watchYaw = std::atan2(toWatched.x, -toWatched.z);
        const Gait* best = &gaits[0];
        for (const Gait& gait : gaits) {
            if (std::fabs(wrapAngle(travel - gait.angle - watchYaw)) <
                std::fabs(wrapAngle(travel - best->angle - watchYaw))) {
                best = &gait;
            }
        }
        const float across = std::hypot(toWatched.x, toWatched.z);
        const float slope = std::clamp(toWatched.y / across, -0.97f, 0.97f);
        turnTo(static_cast<float>(wrapAngle(travel - best->angle)), std::asin(slope));
        const float step = static_cast<float>(frameTime * best->stepFactor);
        const float leg = std::min(horizontalDistance(x, z), 0.5f);
        holdWhile(best->keys, best->count, step, leg);
    }
}

void GameDriver::flyTo(float y) {
    const float step = 2.0f * frameTime;
    const int up[] = {key::q};
    const int down[] = {key::e};
    const float left = y - playerCamera->position.y;
    holdWhile(left > 0.0f ? up : down, 1, step, std::fabs(left));
}

void GameDriver::placeCamera(const glm::vec3& eye, const glm::vec3& target) {
    playerCamera->position = eye;
    playerCamera->front = glm::normalize(target - eye);
}
