#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

// Collects everything written to std::cout while it lives.
struct CoutCapture {
    std::ostringstream captured;
    std::streambuf* previous = std::cout.rdbuf(captured.rdbuf());
    ~CoutCapture() { std::cout.rdbuf(previous); }
    std::string text() const { return captured.str(); }
};

// Each component within the tolerance.
inline void expectNear(const glm::vec3& actual, const glm::vec3& expected,
                       float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Plays the game rules the way the frame loop and a person at the keyboard would, without a
// window: a fake keyboard behind the key poller, a mouse that turns the camera through the cursor
// callback's path (with the wrap at the window edges), and frames of a fixed length that run what
// the frame loop runs. Each driver starts a fresh game: fresh state, layout, camera and light.
class GameDriver {
public:
    static constexpr float frameTime = 1.0f / 60.0f;

    GameDriver();
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // One frame: what follows the event poll (the board pins the camera, otherwise held movement
    // keys move it), then the jump step, the game, the view and the light. Clicks and key events
    // made between two frames are the events of that poll.
    void frame();
    void run(float seconds);

    // A key goes down or up, with the key event the window system delivers for it.
    void press(int keyCode);
    void release(int keyCode);
    // Two keys that go down at the same instant: both events see both keys down.
    void pressTogether(int firstKeyCode, int secondKeyCode);
    // Press, a few frames, release, a few frames: a person's keystroke.
    void tap(int keyCode);
    void click();

    // Turns the view with the mouse, a limited number of pixels per frame, until the camera looks
    // at the target (as far as the camera's 45-degree pitch range allows).
    void lookAt(const glm::vec3& target);
    void turnTo(float yaw, float pitch);
    // Turns towards the spot and walks there with W (the height stays).
    void walkTo(float x, float z);
    // Walks to the spot while looking at something else, with whichever of W, A, S, D and their
    // pairs points the view nearest to it; re-aims every half unit.
    void walkWatching(float x, float z, const glm::vec3& watched);
    // Flies up with Q (or down with E) to the eye height.
    void flyTo(float y);

    // Test shortcut for aiming without the mouse: puts the eye somewhere and points it.
    void placeCamera(const glm::vec3& eye, const glm::vec3& target);

    // How often the rules switched blending on.
    static int blendingSwitches() { return blendingCount; }

private:
    static inline int blendingCount = 0;
    void keyEvent(int keyCode);
    void holdWhile(const std::vector<int>& keyCodes, float stepLength, float distanceLeft);
};
