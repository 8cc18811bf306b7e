#pragma once

#include <array>
#include <memory>

#include <glm/glm.hpp>

struct GLFWwindow;

// The player's first-person camera: eye position, view direction and view matrix read by every
// pass and by the game rules, plus the state of the simple vertical moves (crouch, jump, lowered
// stance). There is no collision and no gravity.
class Camera {
public:
    Camera(const glm::mat4& initialView, int width, int height);

    // Lowered-stance step, then the view matrix from position and front.
    void updateView();
    // Mouse look from a cursor position in window pixels (y grows downwards).
    void processMouse(double x, double y);
    // Walks (W, A, S, D) and flies (Q, E) by one moveStep per key held down.
    void processMovementKeys(GLFWwindow* window);
    // Crouch or stand up (TAB) and jump (SPACE).
    void processActionKeys(GLFWwindow* window);

    glm::vec3 position{-3.0f, 8.0f, -1.0f};
    glm::mat4 view{1.0f};
    bool lowered = false;
    int viewportWidth = 0;
    int viewportHeight = 0;
    // The frame loop overwrites it with the frame time, so movement is one unit per second.
    float moveStep = 0.05f;
    glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
    // (sin yaw, sin pitch, -cos yaw): deliberately not normalised.
    glm::vec3 front{0.0f, 0.0f, -1.0f};
    float yaw = 0.0f;
    float pitch = 0.0f;
    float jumpTimer = 0.0f;
    bool jumping = false;
};

// A simpler record created beside the player camera; only the sky-box step moves it.
class SecondCamera {
public:
    SecondCamera(const glm::mat4& initialView, int width, int height);

    glm::vec3 position{-3.0f, 8.0f, -1.0f};
    glm::mat4 view{1.0f};
    int viewportWidth = 0;
    int viewportHeight = 0;
    glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
    glm::vec3 front{0.0f, 0.0f, -1.0f};
};

// Standing eye height; the camera constructor sets it to its initial y.
extern float floorHeight;
// Lets the lowered stance drop the camera only once per activation.
extern bool lowerLatch;
// Cursor position last consumed by mouse look; start-up sets it to the window centre.
extern double lastCursorX;
extern double lastCursorY;

// Owners of the two camera records, filled by the asset set-up and emptied at shut-down.
extern std::unique_ptr<Camera> playerCamera;
extern std::unique_ptr<SecondCamera> secondCamera;

// A cursor position the window system must be told to jump to.
struct CursorJump {
    bool wanted = false;
    double x = 0.0;
    double y = 0.0;
};

// Mouse look on the player camera for a cursor event, then the wrap of the hidden cursor at the
// window edges. Returns the jumps to perform, in order; the stored last position already follows
// them, so a jump does not turn the view.
std::array<CursorJump, 2> lookAndWrapCursor(double x, double y);

// Second half of a jump, run once per frame: counts the jump time, sets the movement step to the
// frame time and lands a jumping camera after 50 frame times.
void advanceJump(Camera& camera, float dt);
