#pragma once

struct GLFWwindow;

// The window system as the frame loop sees it: the timer, presenting a frame, the event poll, the
// close mark, the registration of the input callbacks and the cursor jump. The game runs on GLFW;
// programs that drive the game without a person install a table of their own (ScriptedWindow.h),
// so every driver runs the one frame loop the player runs.

// The input callbacks, with the window system's own signatures.
using KeyHandler = void (*)(GLFWwindow* window, int key, int scancode, int action, int mods);
using ButtonHandler = void (*)(GLFWwindow* window, int button, int action, int mods);
using CursorHandler = void (*)(GLFWwindow* window, double x, double y);

struct WindowSystem {
    // Seconds since the window system started.
    double (*time)();
    void (*swapBuffers)(GLFWwindow* window);
    // Runs the registered callbacks for the events that arrived since the last poll.
    void (*pollEvents)();
    bool (*shouldClose)(GLFWwindow* window);
    void (*markToClose)(GLFWwindow* window);
    // Each registration returns the callback it replaced (null the first time).
    KeyHandler (*setKeyCallback)(GLFWwindow* window, KeyHandler handler);
    ButtonHandler (*setMouseButtonCallback)(GLFWwindow* window, ButtonHandler handler);
    CursorHandler (*setCursorPosCallback)(GLFWwindow* window, CursorHandler handler);
    // Moves the cursor; the move itself is no cursor event.
    void (*setCursorPos)(GLFWwindow* window, double x, double y);
    // Where the cursor is, in window pixels from the top-left corner, outside the window too;
    // false, with nothing written, while the window does not have the input focus.
    bool (*focusedCursorPos)(GLFWwindow* window, double* x, double* y);
};

// GLFW.
extern const WindowSystem glfwWindowSystem;

// The table the frame loop uses; starts as GLFW.
extern WindowSystem windowSystem;
