#pragma once

struct GLFWwindow;

// The one door through which the application shell reaches the renderer. The shell holds no
// OpenGL knowledge of its own beyond creating the context; tests swap in a table of their own.
struct Renderer {
    // Clear colour and viewport for the start-up window size.
    void (*setDefaults)(int width, int height);
    // Programs, light, camera records, models and shadow-map target, in their fixed order.
    void (*setupAssets)(GLFWwindow* window);
    // Empties every owner while the context still exists.
    void (*releaseAssets)();
    // The shadow pass, the main pass and the environment-mapped pass of one frame.
    void (*renderFrame)();
    // Filled or line polygons for every later pass.
    void (*setWireframe)(bool on);
    // Blending with source colour and one (the option key, game over and the win); off disables.
    void (*setBlending)(bool on);
    // Returns and clears one pending OpenGL error code (0 when there is none).
    unsigned int (*takeError)();
};

// The OpenGL implementation.
extern const Renderer openGlRenderer;

// The table the shell uses; starts as the OpenGL implementation.
extern Renderer renderer;
