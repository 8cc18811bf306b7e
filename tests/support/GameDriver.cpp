#include "support/GameDriver.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "app/Game.h"
#include "app/OptionKeys.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/Effects.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"

namespace {

constexpr double pi = 3.14159265358979323846;
// Mouse look turns 0.3 degrees per pixel; a brisk but human turn is 9 degrees per frame.
constexpr double radiansPerPixel = 0.3 * pi / 180.0;
constexpr double pixelsPerFrame = 30.0;

// The renderer table in place before the driver, put back after it.
Renderer previousRenderer = openGlRenderer;

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

GameDriver::GameDriver(Rendering rendering, FirstFrame firstFrame, float frameSeconds)
    : frameSeconds_(frameSeconds) {
    resetGameState();
    layoutScene();
    // The render options as the program starts with them.
    toggleTimer = 0.0f;
    hideStatistics = true;
    wireframeOff = true;
    blendingOff = true;
    nearestNeighborMode = false;
    mipMapping = false;
    mipMapLinear = false;
    viewFrustumMode = false;
    visibility = 1.0f;
    testingMode = false;
    windowWidth = 1000;
    windowHeight = 800;
    lowerLatch = true;
    playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), windowWidth, windowHeight);
    spotLight = std::make_unique<Light>(glm::vec3(0.0f, 0.0f, 1.5f), false);
    lastCursorX = 500.0;
    lastCursorY = 400.0;
    previousRenderer = renderer;
    record = RendererRecord{};
    if (rendering == Rendering::recorded) {
        renderer.setDefaults = [](int, int) {};
        renderer.setupAssets = [](GLFWwindow*) {};
        renderer.releaseAssets = [] {};
        renderer.renderFrame = [] { ++record.framesRendered; };
        renderer.setWireframe = [](bool on) { ++(on ? record.wireframeOn : record.wireframeOff); };
        renderer.setBlending = [](bool on) { ++(on ? record.blendingOn : record.blendingOff); };
        renderer.takeError = [] { return std::exchange(record.pendingError, 0u); };
    }
    connectRulesToShell();
    installScriptedWindow(frameSeconds_, nullptr);
    if (firstFrame == FirstFrame::run) {
        frame();
    }
}

GameDriver::~GameDriver() {
    uninstallScriptedWindow();
    setBlendingEffect(nullptr);
    renderer = previousRenderer;
}

void GameDriver::frame() {
    runFrame(nullptr, loop, console_);
}

void GameDriver::run(float seconds) {
    for (long i = frameSeconds_ > 0.0f ? std::lround(seconds / frameSeconds_) : 0; i > 0; --i) {
        frame();
    }
}

void GameDriver::events(std::initializer_list<std::pair<int, int>> keyActions) {
    for (const auto& [keyCode, action] : keyActions) {
        queueKeyEvent(keyCode, action);
    }
    frame();
}

void GameDriver::click() {
    queueButtonEvent(leftButton, pressAction);
    queueButtonEvent(leftButton, releaseAction);
    frame();
}

void GameDriver::tap(int keyCode) {
    press(keyCode);
    run(0.1f);
    release(keyCode);
    run(0.15f);
}

void GameDriver::turnTo(float yaw, float pitch) {
    for (int guard = 0; guard < 10000; ++guard) {
        const double dx = wrapAngle(yaw - playerCamera->yaw) / radiansPerPixel;
        // Moving the mouse down lowers the view.
        const double dy = (playerCamera->pitch - pitch) / radiansPerPixel;
        if (std::fabs(dx) < 1e-3 && std::fabs(dy) < 1e-3) {
            return;
        }
        queueCursorEvent(scriptedCursorX() + std::clamp(dx, -pixelsPerFrame, pixelsPerFrame),
                         scriptedCursorY() + std::clamp(dy, -pixelsPerFrame, pixelsPerFrame));
        frame();
    }
}

void GameDriver::lookAt(const glm::vec3& target) {
    turnTo(yawTowards(target.x, target.z), pitchTowards(target - playerCamera->position));
}

// Holds the keys until the distance left is within half a step, or stops shrinking.
void GameDriver::holdWhile(const std::vector<int>& keyCodes, float stepLength,
                           const std::function<float()>& distanceLeft) {
    if (distanceLeft() <= stepLength) {
        return;
    }
    for (const int keyCode : keyCodes) {
        queueKeyEvent(keyCode, pressAction);
    }
    for (float left = distanceLeft(); left > 0.5f * stepLength;) {
        frame();
        const float now = distanceLeft();
        if (now >= left) {
            break;
        }
        left = now;
    }
    for (const int keyCode : keyCodes) {
        queueKeyEvent(keyCode, releaseAction);
    }
    frame();
}

void GameDriver::walkTo(float x, float z) {
    if (horizontalDistance(x, z) <= frameTime) {
        return;
    }
    turnTo(yawTowards(x, z), 0.0f);
    holdWhile({key::w}, frameTime, [x, z] { return horizontalDistance(x, z); });
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
        const glm::vec3 start = playerCamera->position;
        const float leg = std::min(horizontalDistance(x, z), 0.5f);
        holdWhile(keys, step, [x, z, start, leg] {
            const float walked =
                std::hypot(playerCamera->position.x - start.x, playerCamera->position.z - start.z);
            return std::min(horizontalDistance(x, z), leg - walked);
        });
    }
}

void GameDriver::flyTo(float y) {
    const int keyCode = y > playerCamera->position.y ? key::q : key::e;
    holdWhile({keyCode}, 2.0f * frameTime, [y] { return std::fabs(y - playerCamera->position.y); });
}

void GameDriver::placeCamera(const glm::vec3& eye, const glm::vec3& target) {
    playerCamera->position = eye;
    playerCamera->front = glm::normalize(target - eye);
}
