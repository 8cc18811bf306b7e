#include "support/GameDriver.h"

#include <algorithm>
#include <array>
#include <cmath>
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

constexpr double pi = 3.14159265358979323846;
// Mouse look turns 0.3 degrees per pixel; a brisk but human turn is 9 degrees per frame.
constexpr double radiansPerPixel = 0.3 * pi / 180.0;
constexpr double pixelsPerFrame = 30.0;

double wrapAngle(double radians) {
    return std::remainder(radians, 2.0 * pi);
}

float horizontalDistance(float x, float z) {
    return std::hypot(x - playerCamera->position.x, z - playerCamera->position.z);
}

float yawTowards(float x, float z) {
    return std::atan2(x - playerCamera->position.x, -(z - playerCamera->position.z));
}

// The view's vertical part is sin(pitch) against a horizontal part of length one.
float pitchTowards(const glm::vec3& d) {
    return std::asin(std::clamp(d.y / std::hypot(d.x, d.z), -0.97f, 0.97f));
}

}  // namespace

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
    setKeyPoller([](GLFWwindow*, int keyCode) {
        return keyCode >= 0 && keyCode < static_cast<int>(keysDown.size()) && keysDown[keyCode];
    });
    blendingCount = 0;
    setBlendingEffect([] { ++blendingCount; });
}

GameDriver::~GameDriver() {
    setKeyPoller(nullptr);
    setBlendingEffect(nullptr);
}

void GameDriver::frame() {
    if (boardMode) {
        // The board camera's fixed eye.
        playerCamera->position = glm::vec3(-5.4f, 9.3f, -1.0f);
    } else {
        playerCamera->processMovementKeys(nullptr);
    }
    advanceJump(*playerCamera, frameTime);
    updateGame(frameTime);
    playerCamera->updateView();
    followPlayerLight();
}

void GameDriver::run(float seconds) {
    for (long i = std::lround(seconds / frameTime); i > 0; --i) {
        frame();
    }
}

// Routed as the shell's key callback routes the keys the driver presses: the board takes every
// key while it is active.
void GameDriver::keyEvent(int keyCode) {
    if (boardMode) {
        handleBoardKeys(nullptr, keyCode, 0, 0, 0);
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

void GameDriver::turnTo(float yaw, float pitch) {
    for (int guard = 0; guard < 10000; ++guard) {
        const double dx = wrapAngle(yaw - playerCamera->yaw) / radiansPerPixel;
        // Moving the mouse down lowers the view.
        const double dy = (playerCamera->pitch - pitch) / radiansPerPixel;
        if (std::fabs(dx) < 1e-3 && std::fabs(dy) < 1e-3) {
            return;
        }
        lookAndWrapCursor(lastCursorX + std::clamp(dx, -pixelsPerFrame, pixelsPerFrame),
                          lastCursorY + std::clamp(dy, -pixelsPerFrame, pixelsPerFrame));
        frame();
    }
}

void GameDriver::lookAt(const glm::vec3& target) {
    turnTo(yawTowards(target.x, target.z), pitchTowards(target - playerCamera->position));
}

void GameDriver::holdWhile(const std::vector<int>& keyCodes, float stepLength, float distanceLeft) {
    if (distanceLeft <= stepLength) {
        return;
    }
    for (const int keyCode : keyCodes) {
        press(keyCode);
    }
    // The press event has moved one step; every frame moves one more.
    for (distanceLeft -= stepLength; distanceLeft > stepLength; distanceLeft -= stepLength) {
        frame();
    }
    for (const int keyCode : keyCodes) {
        release(keyCode);
    }
}

void GameDriver::walkTo(float x, float z) {
    if (horizontalDistance(x, z) <= frameTime) {
        return;
    }
    turnTo(yawTowards(x, z), 0.0f);
    holdWhile({key::w}, frameTime, horizontalDistance(x, z));
}

void GameDriver::walkWatching(float x, float z, const glm::vec3& watched) {
    for (int guard = 0; guard < 1000 && horizontalDistance(x, z) > 2.0f * frameTime; ++guard) {
        // The nearest of the eight ways W, A, S, D and their pairs walk, relative to the view
        // turned to the watched thing: eighth turns clockwise from straight ahead.
        const double travel = yawTowards(x, z);
        const long eighths =
            std::lround(wrapAngle(travel - yawTowards(watched.x, watched.z)) / (pi / 4));
        std::vector<int> keys;
        if (std::labs(eighths) != 2) {
            keys.push_back(std::labs(eighths) < 2 ? key::w : key::s);
        }
        if (eighths % 4 != 0) {
            keys.push_back(eighths > 0 ? key::d : key::a);
        }
        turnTo(static_cast<float>(wrapAngle(travel - static_cast<double>(eighths) * pi / 4)),
               pitchTowards(watched - playerCamera->position));
        // Two keys together step diagonally, a longer step.
        const float step = static_cast<float>(frameTime * std::sqrt(keys.size()));
        holdWhile(keys, step, std::min(horizontalDistance(x, z), 0.5f));
    }
}

void GameDriver::flyTo(float y) {
    const float left = y - playerCamera->position.y;
    holdWhile({left > 0.0f ? key::q : key::e}, 2.0f * frameTime, std::fabs(left));
}

void GameDriver::placeCamera(const glm::vec3& eye, const glm::vec3& target) {
    playerCamera->position = eye;
    playerCamera->front = glm::normalize(target - eye);
}
