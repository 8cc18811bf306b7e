// The machine's floor for start-up: a program that opens the same kind of hidden window with a
// 3.3 core context, loads the entry points, clears and presents one frame, and nothing else. It
// prints the seconds from the parent's time stamp (first argument) to the presented frame.
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace {
double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char** argv) {
    const double spawnedAt = argc > 1 ? std::atof(argv[1]) : monotonicSeconds();
    if (glfwInit() != GLFW_TRUE) {
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(1280, 720, "bare", nullptr, nullptr);
    if (window == nullptr) {
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return 1;
    }
    glClearColor(0.45f, 0.45f, 0.45f, 0.1f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwSwapBuffers(window);
    std::printf("bare %.9f\n", monotonicSeconds() - spawnedAt);
    glfwTerminate();
    return 0;
}
