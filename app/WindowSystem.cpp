#include "app/WindowSystem.h"

#include <GLFW/glfw3.h>

namespace {

bool windowShouldClose(GLFWwindow* window) {
    return glfwWindowShouldClose(window) == GLFW_TRUE;
}

void markWindowToClose(GLFWwindow* window) {
    glfwSetWindowShouldClose(window, GLFW_TRUE);
}

bool focusedCursorPos(GLFWwindow* window, double* x, double* y) {
    if (glfwGetWindowAttrib(window, GLFW_FOCUSED) != GLFW_TRUE) {
        return false;
    }
    glfwGetCursorPos(window, x, y);
    return true;
}

}  // namespace

const WindowSystem glfwWindowSystem = {
    glfwGetTime,
    glfwSwapBuffers,
    glfwPollEvents,
    windowShouldClose,
    markWindowToClose,
    glfwSetKeyCallback,
    glfwSetMouseButtonCallback,
    glfwSetCursorPosCallback,
    glfwSetCursorPos,
    focusedCursorPos,
};

WindowSystem windowSystem = glfwWindowSystem;
