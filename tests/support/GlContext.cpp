#include "support/GlContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <stb_image.h>
#include <stb_image_write.h>

#include "render/Assets.h"
#include "render/GlDriver.h"
#include "tools/gldebug/DebugContext.h"

namespace {

GLFWwindow* window = nullptr;

void require(bool done, const char* failure) {
    if (!done) {
        std::fprintf(stderr, "%s\n", failure);
        std::abort();
    }
}

}  // namespace

GLFWwindow* testGlContext() {
    if (window != nullptr) {
        return window;
    }
    keepGlDriverLoaded();
    require(glfwInit() == GLFW_TRUE, "no display: run this test under xvfb-run");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    requestDebugContext();
    window = glfwCreateWindow(640, 480, "Velmora tests", nullptr, nullptr);
    require(window != nullptr, "cannot create an OpenGL 3.3 core context");
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    require(glewInit() == GLEW_OK, "cannot load the OpenGL entry points");
    while (glGetError() != GL_NO_ERROR) {
    }
    refuseOtherDriver();
    installDebugOutput();
    return window;
}

void refuseOtherDriver() {
    const char* wanted = std::getenv("VELMORA_GL_RENDERER");
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (wanted != nullptr && (renderer == nullptr || std::strstr(renderer, wanted) == nullptr)) {
        std::fprintf(stderr, "the OpenGL renderer is %s, not %s\n",
                     renderer != nullptr ? renderer : "unknown", wanted);
        std::abort();
    }
}

void closeGlContexts() {
    // Asked without the game's error callback, which would print the refusal of an ended window
    // system; an error left from earlier is dropped first so that only this question's is read.
    const GLFWerrorfun callback = glfwSetErrorCallback(nullptr);
    glfwGetError(nullptr);
    glfwGetCurrentContext();
    const bool started = glfwGetError(nullptr) != GLFW_NOT_INITIALIZED;
    glfwSetErrorCallback(callback);
    if (!started) {
        window = nullptr;
        return;
    }
    // The game's objects belong to the context its hidden start made current; an emptied owner
    // holds nothing, so a test that released them already loses nothing here.
    if (glfwGetCurrentContext() != nullptr) {
        releaseAssets();
        glFinish();
    }
    glfwTerminate();
    window = nullptr;
}

void readPixelsRgb(int width, int height, unsigned char* out) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, out);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

bool writePng(const char* path, int width, int height, const unsigned char* rgbTopFirst) {
    return stbi_write_png(path, width, height, 3, rgbTopFirst, width * 3) != 0;
}

bool readPng(const char* path, int& width, int& height, unsigned char** rgbTopFirst) {
    int channels = 0;
    *rgbTopFirst = stbi_load(path, &width, &height, &channels, 3);
    return *rgbTopFirst != nullptr;
}

void freePng(unsigned char* pixels) {
    stbi_image_free(pixels);
}
