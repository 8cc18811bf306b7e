#include "app/FrameLoop.h"

#include <iostream>

#include <GLFW/glfw3.h>

#include "app/OptionKeys.h"
#include "app/WindowSystem.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/Board.h"
#include "game/Click.h"
#include "game/GameState.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"

namespace {
// The camera is pinned in front of the sliding-tile board while the board has the keyboard.
const glm::vec3 boardCameraPosition(-5.4f, 9.3f, -1.0f);

// The cursor is hidden but not captured, and the window system reports no position outside the
// window: a fast motion that jumps past the edge band in one event would leave the cursor out
// there and mouse look frozen. A cursor found outside is handled as if it had been reported, so
// the view turns and the wrap brings the cursor back. Not while another window has the focus:
// the cursor is the player's to use there.
void lookAtCursorOutsideWindow(GLFWwindow* window) {
    double x = 0.0;
    double y = 0.0;
    if (!windowSystem.focusedCursorPos(window, &x, &y)) {
        return;
    }
    const bool inside = x >= 0.0 && x < static_cast<double>(windowWidth) && y >= 0.0 &&
                        y < static_cast<double>(windowHeight);
    if (!inside) {
        cursorPositionCallback(window, x, y);
    }
}
}  // namespace

void updateFrame(float dt) {
    updateGame(dt);
    if (playerCamera) {
        playerCamera->updateView();
    }
    followPlayerLight();
}

void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods) {
    // Escape and the option keys are read after the poll; a tap that began and ended within it
    // must still count.
    if (action == GLFW_PRESS) {
        notePressEvent(key);
    }
    // Every event counts, releases included, so one tap of UP raises the brightness twice.
    if (key == key::up) {
        if (visibility < 10.0f) {
            visibility += 1.0f;
        }
        return;
    }
    if (key == key::down) {
        if (visibility > 1.0f) {
            visibility -= 1.0f;
        }
        return;
    }
    if (boardMode) {
        handleBoardKeys(window, key, scancode, action, mods);
        return;
    }
    if (!playerCamera) {
        return;
    }
    if (key == key::tab || key == key::space || key == key::g) {
        playerCamera->processActionKeys(window);
    } else {
        playerCamera->processMovementKeys(window);
    }
}

void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods) {
    if (button == GLFW_MOUSE_BUTTON_LEFT && action == GLFW_PRESS) {
        handleClick(window, button, action, mods);
    }
}

void cursorPositionCallback(GLFWwindow* window, double x, double y) {
    for (const CursorJump& jump : lookAndWrapCursor(x, y)) {
        if (jump.wanted) {
            windowSystem.setCursorPos(window, jump.x, jump.y);
        }
    }
}

void writeStatistics(std::ostream& out, float dt) {
    out << "frametime:" << dt * 1000.0f << "ms "
        << "=~ " << 1.0 / dt << "fps "
        << "\n rendered Objects" << renderedObjects << std::endl;
}

void runFrame(GLFWwindow* window, FrameLoopState& loop, std::ostream& out) {
    const double now = windowSystem.time();
    const float dt = static_cast<float>(now - loop.previousTime);
    loop.previousTime = now;
    toggleTimer += dt;
    if (playerCamera) {
        advanceJump(*playerCamera, dt);
    }
    updateFrame(dt);
    if (!hideStatistics) {
        writeStatistics(out, dt);
    }
    renderer.renderFrame();
    // The frozen scene is drawn blended from now on, whatever the option keys say.
    if (gameOver) {
        renderer.setBlending(true);
    }
    windowSystem.swapBuffers(window);
    windowSystem.pollEvents();
    if (loop.cursorWatched) {
        lookAtCursorOutsideWindow(window);
    }

    if (keyActsThisFrame(window, key::escape)) {
        windowSystem.markToClose(window);
    }
    processOptionKeys(window, loop.lowerToggle, out);
    windowSystem.setMouseButtonCallback(window, mouseButtonCallback);
    if (boardMode) {
        if (playerCamera) {
            playerCamera->position = boardCameraPosition;
        }
        windowSystem.setKeyCallback(window, keyCallback);
    } else if (windowSystem.setKeyCallback(window, keyCallback) != nullptr && playerCamera) {
        // Held movement keys move once per frame here and once per key event.
        playerCamera->processMovementKeys(window);
    }
    const unsigned int error = renderer.takeError();
    if (error != 0) {
        out << error << "Mainmain end \n";
    }
    windowSystem.setCursorPosCallback(window, cursorPositionCallback);
    loop.cursorWatched = true;
}

void runFrameLoop(GLFWwindow* window, double previousTime) {
    FrameLoopState loop;
    loop.previousTime = previousTime;
    while (!windowSystem.shouldClose(window)) {
        runFrame(window, loop, std::cout);
    }
}

void shutDown() {
    renderer.releaseAssets();
    glfwTerminate();
}
