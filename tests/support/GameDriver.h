#pragma once

#include <functional>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include "app/FrameLoop.h"
#include "app/ScriptedWindow.h"

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
    EXPECT_TRUE(glm::all(glm::lessThanEqual(glm::abs(actual - expected), glm::vec3(tolerance))))
        << actual.x << ", " << actual.y << ", " << actual.z;
}

// What the frames asked of the renderer while a driver records it.
struct RendererRecord {
    int framesRendered = 0;
    int blendingOn = 0;
    int blendingOff = 0;
    int wireframeOn = 0;
    int wireframeOff = 0;
    // Handed out by the next error read, then cleared.
    unsigned int pendingError = 0;
};

// Plays the game as a person at the keyboard would, through the frame loop the player runs: every
// frame is one runFrame on the scripted window (fixed frame time), and every key, button and cursor
// event reaches the game through the callbacks that loop registered, in the poll of the frame that
// delivers it. Each driver starts a fresh game (fresh rules, layout, camera, light and render
// options) and runs its first frame, whose events reach no callback, so the callbacks are
// registered from then on.
class GameDriver {
public:
    static constexpr float frameTime = 1.0f / 60.0f;
    // What the frames draw with: a recording renderer (no display needed), or the renderer as
    // installed (the real one, after the game's hidden start-up).
    enum class Rendering { recorded, installed };
    // Whether the constructor runs the game's first frame (which registers the callbacks), or
    // leaves it to the test, which may queue events for it first.
    enum class FirstFrame { run, leave };

    // Walking, turning and flying assume the usual frame time; a test of timing may choose its own.
    explicit GameDriver(Rendering rendering = Rendering::recorded,
                        FirstFrame firstFrame = FirstFrame::run, float frameSeconds = frameTime);
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // One iteration of the frame loop; events queued before it are delivered in its poll.
    void frame();
    // As many frames as make up the time (a frame time of 0 runs none).
    void run(float seconds);

    // Each queues its events and runs the frame that delivers them.
    void press(int keyCode) { events({{keyCode, pressAction}}); }
    void release(int keyCode) { events({{keyCode, releaseAction}}); }
    // Both press events in one poll: the second sees both keys held.
    void pressTogether(int first, int second) {
        events({{first, pressAction}, {second, pressAction}});
    }
    // Press and release in one poll, as a quick tap or a tool sends them.
    void tapInOnePoll(int keyCode) { events({{keyCode, pressAction}, {keyCode, releaseAction}}); }
    // A left-button press and release.
    void click();
    // Press, a few frames, release, a few frames: a person's keystroke.
    void tap(int keyCode);

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

    // What the frames wrote to the console stream (statistics, option messages, error lines).
    std::string console() const { return console_.str(); }
    // The recording renderer's figures (recorded rendering only).
    static RendererRecord& rendered() { return record; }
    // How often blending was switched on (the win, and game over every frame).
    static int blendingSwitches() { return record.blendingOn; }

    FrameLoopState loop;

private:
    static inline RendererRecord record;
    // Queues the key events, in order, and runs the frame that delivers them.
    void events(std::initializer_list<std::pair<int, int>> keyActions);
    void holdWhile(const std::vector<int>& keyCodes, float stepLength,
                   const std::function<float()>& distanceLeft);
    std::ostringstream console_;
    float frameSeconds_ = frameTime;
};
