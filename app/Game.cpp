#include "app/Game.h"

#include <cstdio>
#include <iostream>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "app/FrameLoop.h"
#include "app/Startup.h"
#include "app/WindowSystem.h"
#include "camera/Camera.h"
#include "camera/KeyInput.h"
#include "camera/Settings.h"
#include "game/Effects.h"
#include "game/Layout.h"
#include "render/Console.h"
#include "render/GlDriver.h"
#include "scene/Renderer.h"

namespace {

void errorCallback(int /*code*/, const char* description) {
    std::puts(description);
}

bool pollWindowKey(GLFWwindow* window, int keyCode) {
    return window != nullptr && glfwGetKey(window, keyCode) == GLFW_PRESS;
}

void enableOutcomeBlending() {
    renderer.setBlending(true);
}

void requestCoreContext() {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    // The depth pre-pass keeps the order of equal depths and the far plane through the stencil.
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    // Where the window system offers a framebuffer larger than the window (high-density displays),
    // one of the window's size lets the viewport of the window size fill it.
    glfwWindowHint(GLFW_COCOA_RETINA_FRAMEBUFFER, GLFW_FALSE);
#ifdef __APPLE__
    // macOS creates a 3.2+ core context only when it is asked for a forward-compatible one.
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
#endif
}

[[noreturn]] void failWindow() {
    glfwTerminate();
    std::cout << "Failed to open window" << std::endl;
    pauseAndExit();
}

// Opens the window the dialogue asked for; full screen takes the primary monitor's current mode.
GLFWwindow* openWindow(bool fullScreen) {
    if (fullScreen) {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
        if (mode == nullptr) {
            return nullptr;
        }
        GLFWwindow* window =
            glfwCreateWindow(mode->width, mode->height, "Velmorra", monitor, nullptr);
        windowWidth = mode->width;
        windowHeight = mode->height;
        return window;
    }
    // Sizes that would abort the window system (negative, absurdly large) fail like its refusal.
    if (!isOpenableWindowSize(windowWidth, windowHeight)) {
        return nullptr;
    }
    return glfwCreateWindow(windowWidth, windowHeight, "Velmora", nullptr, nullptr);
}

}  // namespace

HiddenStartHooks hiddenStartHooks;

bool loadOpenGl(GLFWwindow* window) {
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return false;
    }
    // Some loaders leave an error behind; a clean start must report nothing.
    while (renderer.takeError() != 0) {
    }
    return true;
}

void connectRulesToShell() {
    setKeyPoller(pollWindowKey);
    setBlendingEffect(enableOutcomeBlending);
}

void prepareWorld(GLFWwindow* window) {
    connectRulesToShell();
    renderer.setupAssets(window);
    if (playerCamera) {
        playerCamera->viewportWidth += windowWidth;
        playerCamera->viewportHeight += windowHeight;
    }
    if (secondCamera) {
        secondCamera->viewportWidth += windowWidth;
        secondCamera->viewportHeight += windowHeight;
    }
    // Hidden but not captured: mouse look wraps the cursor at the window edges.
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    lastCursorX = static_cast<double>(static_cast<float>(windowWidth) * 0.5f);
    lastCursorY = static_cast<double>(static_cast<float>(windowHeight) * 0.5f);
}

int runGame(int argc, char** argv) {
    glfwSetErrorCallback(errorCallback);
    glewExperimental = GL_TRUE;
    keepGlDriverLoaded();
    if (glfwInit() != GLFW_TRUE) {
        std::cout << "Failed to init glfw" << std::endl;
        pauseAndExit();
    }
    if (!readCommandLine(argc, argv, std::cout, std::cerr)) {
        pauseAndExit();
    }
    layoutScene();
    requestCoreContext();

    const bool fullScreen = askStartupSettings(std::cin, std::cout);
    GLFWwindow* window = openWindow(fullScreen);
    if (window == nullptr) {
        failWindow();
    }
    if (!loadOpenGl(window)) {
        std::cout << "Failed to initialize glew" << std::endl;
        pauseAndExit();
    }
    renderer.setDefaults(windowWidth, windowHeight);
    // The first frame's time includes the loading, as the player waits through it.
    const double previousTime = windowSystem.time();
    prepareWorld(window);
    runFrameLoop(window, previousTime);
    shutDown();
    return 0;
}

GLFWwindow* startHiddenGame(int width, int height, bool testing) {
    glfwSetErrorCallback(errorCallback);
    keepGlDriverLoaded();
    if (glfwInit() != GLFW_TRUE) {
        return nullptr;
    }
    layoutScene();
    requestCoreContext();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    if (hiddenStartHooks.beforeWindow != nullptr) {
        hiddenStartHooks.beforeWindow();
    }
    windowWidth = width;
    windowHeight = height;
    testingMode = testing;
    GLFWwindow* window = glfwCreateWindow(width, height, "Velmora", nullptr, nullptr);
    if (window == nullptr || !loadOpenGl(window)) {
        return nullptr;
    }
    if (hiddenStartHooks.afterLoad != nullptr) {
        hiddenStartHooks.afterLoad();
    }
    renderer.setDefaults(windowWidth, windowHeight);
    prepareWorld(window);
    return window;
}
