#include "StartupBench.h"

#include <ostream>

#include <GLFW/glfw3.h>

#include "Hooks.h"
#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/WindowSystem.h"
#include "scene/Renderer.h"

namespace {

struct SetupTimes {
    double start = 0.0;
    double end = 0.0;
    double shaders = 0.0;
    double textures = 0.0;
};

SetupTimes setupTimes;

// The real asset set-up, timed. The hooks go in here: the loader has just filled its entry points.
void timedSetupAssets(GLFWwindow* window) {
    installGlHooks();
    setupTimes.start = monotonicSeconds();
    const double shaders = shaderSeconds();
    const double textures = textureSeconds();
    openGlRenderer.setupAssets(window);
    setupTimes.end = monotonicSeconds();
    setupTimes.shaders = shaderSeconds() - shaders;
    setupTimes.textures = textureSeconds() - textures;
}

}  // namespace

int runStartupBench(double spawnedAt, double mainEnteredAt, std::ostream& out) {
    renderer.setupAssets = timedSetupAssets;
    GLFWwindow* window = startHiddenGame(1280, 720, false);
    if (window == nullptr) {
        return 1;
    }
    const double frameStart = monotonicSeconds();
    std::ostream sink(nullptr);
    // The player's first frame, on the window system the game runs on.
    FrameLoopState loop;
    loop.previousTime = windowSystem.time();
    runFrame(window, loop, sink);
    const double presented = monotonicSeconds();

    // The shadow target is the only framebuffer the set-up makes, and it comes last.
    const double framebufferAt = firstFramebufferTime();
    const double shadow = framebufferAt > 0.0 ? setupTimes.end - framebufferAt : 0.0;
    const double setup = setupTimes.end - setupTimes.start;
    out.precision(9);
    out << "startup processToMain " << mainEnteredAt - spawnedAt << " window "
        << setupTimes.start - mainEnteredAt << " shaders " << setupTimes.shaders << " models "
        << setup - setupTimes.shaders - setupTimes.textures - shadow << " textures "
        << setupTimes.textures << " shadow " << shadow << " first " << presented - frameStart
        << " total " << presented - spawnedAt << "\n";
    out.flush();
    renderer.releaseAssets();
    glfwTerminate();
    return 0;
}
