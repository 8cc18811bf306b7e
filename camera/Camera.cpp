#include "camera/Camera.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/KeyInput.h"
#include "camera/Settings.h"

float floorHeight = 0.0f;
bool lowerLatch = true;
double lastCursorX = 0.0;
double lastCursorY = 0.0;

std::unique_ptr<Camera> playerCamera;
std::unique_ptr<SecondCamera> secondCamera;

namespace {
constexpr double mouseSensitivity = 0.3;
constexpr double degreesToRadians = 0.017453292519943295;
// The pitch check happens before the change, so pitch can pass this by one step.
constexpr float pitchLimit = 1.5707964f;
}  // namespace

Camera::Camera(const glm::mat4& initialView, int width, int height)
    : view(initialView), viewportWidth(width), viewportHeight(height) {
    floorHeight = position.y;
    updateView();
    front = glm::vec3(0.0f, 0.0f, -1.0f);
    moveStep = 0.05f;
}

void Camera::updateView() {
    if (lowered && lowerLatch) {
        position.y -= 0.2f;
        lowerLatch = false;
    } else if (!lowered) {
        lowerLatch = true;
    }
    view = glm::lookAt(position, position + front, worldUp);
}

void Camera::processMouse(double x, double y) {
    if (x == lastCursorX && y == lastCursorY) {
        return;
    }
    if (x > lastCursorX) {
        yaw = static_cast<float>((x - lastCursorX) * mouseSensitivity * degreesToRadians + yaw);
        front.x = std::sin(yaw);
        front.z = -std::cos(yaw);
    } else if (x < lastCursorX) {
        yaw = static_cast<float>(yaw - (lastCursorX - x) * mouseSensitivity * degreesToRadians);
        front.x = std::sin(yaw);
        front.z = -std::cos(yaw);
    }
    if (y > lastCursorY) {
        if (pitch >= -pitchLimit) {
            pitch =
                static_cast<float>(pitch - (y - lastCursorY) * mouseSensitivity * degreesToRadians);
            front.y = std::sin(pitch);
        }
    } else if (y < lastCursorY) {
        if (pitch <= pitchLimit) {
            pitch =
                static_cast<float>((lastCursorY - y) * mouseSensitivity * degreesToRadians + pitch);
            front.y = std::sin(pitch);
        }
    }
}

void Camera::processMovementKeys(GLFWwindow* window) {
    // Walking ignores the pitch, so W, A, S and D never change the height.
    const glm::vec3 ahead = glm::normalize(glm::vec3(front.x, 0.0f, front.z));
    const glm::vec3 right = glm::normalize(glm::cross(ahead, glm::normalize(worldUp)));
    if (isKeyDown(window, key::w)) {
        position += ahead * moveStep;
    }
    if (isKeyDown(window, key::a)) {
        position -= right * moveStep;
    }
    if (isKeyDown(window, key::d)) {
        position += right * moveStep;
    }
    if (isKeyDown(window, key::s)) {
        position -= ahead * moveStep;
    }
    if (isKeyDown(window, key::q)) {
        position.y += 2.0f * moveStep;
    }
    if (isKeyDown(window, key::e)) {
        position.y -= 2.0f * moveStep;
    }
}

void Camera::processActionKeys(GLFWwindow* window) {
    if (isKeyDown(window, key::tab) && !jumping) {
        if (position.y >= floorHeight) {
            position.y = static_cast<float>(static_cast<double>(position.y) - 0.5);
        } else {
            position.y = static_cast<float>(static_cast<double>(position.y) + 0.5);
        }
    }
    if (isKeyDown(window, key::space) && position.y <= floorHeight) {
        jumping = true;
        position.y = static_cast<float>(static_cast<double>(floorHeight) + 0.3);
    }
}

SecondCamera::SecondCamera(const glm::mat4& initialView, int width, int height)
    : view(initialView), viewportWidth(width), viewportHeight(height) {
    view = glm::lookAt(position, position + front, worldUp);
}

std::array<CursorJump, 2> lookAndWrapCursor(double x, double y) {
    std::array<CursorJump, 2> jumps{};
    if (playerCamera) {
        playerCamera->processMouse(x, y);
    }
    lastCursorX = x;
    lastCursorY = y;
    const double w = windowWidth;
    const double h = windowHeight;
    // The cursor is hidden but not captured: it re-enters 0.6 % inside the opposite edge.
    double newX = x;
    if (x >= w - w * 0.005) {
        newX = w * 0.006;
        jumps[0] = CursorJump{true, newX, y};
    } else if (x <= w * 0.005) {
        newX = w - w * 0.006;
        jumps[0] = CursorJump{true, newX, y};
    }
    if (y >= h - h * 0.005) {
        lastCursorY = h * 0.006;
        jumps[1] = CursorJump{true, newX, lastCursorY};
    } else if (y <= h * 0.005) {
        lastCursorY = h - h * 0.006;
        jumps[1] = CursorJump{true, newX, lastCursorY};
    } else {
        lastCursorY = y;
    }
    lastCursorX = newX;
    return jumps;
}

void advanceJump(Camera& camera, float dt) {
    if (camera.jumping) {
        camera.jumpTimer += dt;
    }
    camera.moveStep = dt;
    // Counted in frame times, so the landing comes after about 50 frames at any frame rate. Only
    // a jump lands: a frame time of 0 would otherwise drop a player standing above the floor.
    if (camera.jumping && camera.jumpTimer >= 50.0f * dt && camera.position.y > floorHeight) {
        camera.position.y -= 0.3f;
        camera.jumping = false;
        camera.jumpTimer = 0.0f;
    }
}
