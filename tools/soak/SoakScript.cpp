#include "SoakScript.h"

#include <GLFW/glfw3.h>

#include <array>

#include <glm/glm.hpp>

#include "app/OptionKeys.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"

namespace {

// Where the player stood after the start-up, so each round starts from there again.
glm::vec3 startPosition(0.0f);

// Press and release within one poll, as a quick tap arrives.
void tap(int keyCode) {
    queueKeyEvent(keyCode, GLFW_PRESS);
    queueKeyEvent(keyCode, GLFW_RELEASE);
}

// Pairs of opposite moves, so the player comes back to where the pair started.
constexpr std::array<int, 6> movementKeys = {key::w, key::s, key::a, key::d, key::q, key::e};
constexpr std::array<int, 7> optionKeys = {key::f2, key::f3, key::f4, key::f5,
                                           key::f6, key::f8, key::f9};
constexpr std::array<int, 6> boardKeys = {key::w, key::d, key::enter, key::s, key::a, key::enter};

// The round's timetable, in frames from its start.
constexpr int levelTwoFrame = 450;
constexpr int boardFrame = 600;
constexpr int boardEndFrame = 760;
constexpr int levelFourFrame = 900;
constexpr int levelThreeFrame = 1350;
constexpr int gameOverFrame = 1800;

// Movement keys are held for 60 of every 90 frames; an option key for 40 of every 150.
constexpr int movementPeriod = 90;
constexpr int movementHeld = 60;
constexpr int optionPeriod = 150;
constexpr int optionHeld = 40;

// Render states as the option keys leave them.
void setRenderStates(bool nearest, int mipMode, bool blending, bool wireframe, bool culling) {
    nearestNeighborMode = nearest;
    mipMapping = mipMode != 0;
    mipMapLinear = mipMode == 1;
    renderer.setBlending(blending);
    blendingOff = !blending;
    renderer.setWireframe(wireframe);
    wireframeOff = !wireframe;
    viewFrustumMode = culling;
}

// One frame of the warm-up tour: 24 combinations of the states in each of the four levels.
void warmUpFrame(int frame) {
    constexpr int combinations = 24;
    if (frame >= 4 * combinations) {
        setRenderStates(false, 0, false, false, false);
        currentLevel = 1;
        return;
    }
    const int combination = frame % combinations;
    currentLevel = 1 + frame / combinations;
    setRenderStates((combination & 1) != 0, (combination / 2) % 3, (combination / 6) % 2 != 0,
                    combination / 12 != 0, frame % 2 != 0);
}

}  // namespace

void startSoakScript() {
    if (playerCamera) {
        startPosition = playerCamera->position;
    }
}

void scriptFrameState(int frame) {
    if (frame < soakWarmUpFrames) {
        warmUpFrame(frame);
        return;
    }
    const int inRound = (frame - soakWarmUpFrames) % soakRoundFrames;
    if (inRound == 0) {
        if (frame > soakWarmUpFrames) {
            resetGameState();
            layoutScene();
            setRenderStates(false, 0, false, false, false);
        }
        if (playerCamera) {
            playerCamera->position = startPosition;
        }
        currentLevel = 1;
    } else if (inRound == levelTwoFrame) {
        currentLevel = 2;
    } else if (inRound == boardFrame) {
        // As a click on the board would: the board takes the keyboard until END.
        boardMode = true;
    } else if (inRound == levelFourFrame) {
        currentLevel = 4;
    } else if (inRound == levelThreeFrame) {
        currentLevel = 3;
    } else if (inRound == gameOverFrame) {
        // As a statue reaching the player would, if the mouse has not let one do it already.
        gameOver = true;
    }
}

void queueFrameEvents(int frame) {
    if (frame < soakWarmUpFrames) {
        return;
    }
    const int inRound = (frame - soakWarmUpFrames) % soakRoundFrames;
    // Each key goes down at the start of its slot and up when the slot's holding time is over.
    const int movementSlot = frame % movementPeriod;
    const int movementKey = movementKeys[(frame / movementPeriod) % movementKeys.size()];
    if (movementSlot == 0) {
        queueKeyEvent(movementKey, GLFW_PRESS);
    } else if (movementSlot == movementHeld) {
        queueKeyEvent(movementKey, GLFW_RELEASE);
    }
    const int optionSlot = frame % optionPeriod;
    const int optionKey = optionKeys[(frame / optionPeriod) % optionKeys.size()];
    if (optionSlot == 0) {
        queueKeyEvent(optionKey, GLFW_PRESS);
    } else if (optionSlot == optionHeld) {
        queueKeyEvent(optionKey, GLFW_RELEASE);
    }

    // Sweeps across the whole window and off its edges, where the cursor wraps to the other side;
    // slower up and down, where the view stops at its pitch limit.
    const double dx = (frame / 240) % 2 == 0 ? 9.0 : -9.0;
    const double dy = (frame / 400) % 2 == 0 ? 3.0 : -3.0;
    queueCursorEvent(scriptedCursorX() + dx, scriptedCursorY() + dy);

    if (boardMode && inRound >= boardFrame && inRound < boardEndFrame) {
        if (inRound % 10 == 0) {
            tap(boardKeys[(inRound / 10) % boardKeys.size()]);
        }
        return;
    }
    if (boardMode && inRound >= boardEndFrame) {
        tap(key::end);
        return;
    }
    if (frame % 97 == 0) {
        tap(key::up);
    }
    if (frame % 131 == 0) {
        tap(key::down);
    }
    if (frame % 173 == 0) {
        tap(key::space);
    }
    if (frame % 211 == 0) {
        tap(key::tab);
    }
    if (frame % 37 == 0) {
        queueButtonEvent(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
        queueButtonEvent(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
    }
    if (frame % 53 == 0) {
        queueButtonEvent(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
        queueButtonEvent(GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE);
    }
}
