#include "app/WindowSystem.h"

#include <GLFW/glfw3.h>

namespace {

bool windowShouldClose(GLFWwindow* window) {
    return glfwWindowShouldClose(window) == GLFW_TRUE;
}

void markWindowToClose(GLFWwindow* window) {
    glfwSetWindowShouldClose(window, GLFW_TRUE);
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
};

WindowSystem windowSystem = glfwWindowSystem;
