#pragma once

// Helpers shared by the rendering-resource tests: a fixture with a context and a scratch folder,
// files and images written into it, textures read back and captured console output.

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "render/Mesh.h"
#include "render/Shader.h"
#include "support/GlContext.h"
#include "support/ScratchRun.h"

namespace fixture {

// A fresh empty folder, removed when the object goes away.
struct ScratchDir : ScratchRun {
    ScratchDir() : ScratchRun(false) {}
};

struct Rgb {
    unsigned char r, g, b;
};

// Saves a 24-bit bitmap whose pixel (x, y), y counted from the top row, has colour at(x, y).
template <typename ColourAt>
bool saveRgbImage(const std::string& path, int width, int height, ColourAt at) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) {
        const Rgb c = at(i % width, i / width);
        pixels.insert(pixels.end(), {c.r, c.g, c.b});
    }
    return stbi_write_bmp(path.c_str(), width, height, 3, pixels.data()) != 0;
}

inline bool saveSolidImage(const std::string& path, int width, int height, Rgb colour) {
    return saveRgbImage(path, width, height, [colour](int, int) { return colour; });
}

// Reads level 0 of the 2D texture back as tightly packed RGB, bottom row first.
inline std::vector<unsigned char> readTexture(unsigned int id) {
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    // One spare byte, since an empty vector has no storage to write to.
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3 + 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    pixels.pop_back();
    return pixels;
}

// The one integer a glGet query writes, e.g. queried(glGetIntegerv, GL_ACTIVE_TEXTURE).
template <typename Query, typename... Args>
GLint queried(Query query, Args... args) {
    GLint value = 0;
    query(args..., &value);
    return value;
}

inline void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// What the call writes to standard output.
template <typename Call>
std::string stdoutOf(Call call) {
    testing::internal::CaptureStdout();
    call();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// A texture of one texel of the colour, sampled as nearest, on each face of its kind (a 2D texture
// or a cube map), left bound to the active unit.
inline GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b,
                           GLenum kind = GL_TEXTURE_2D) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(kind, id);
    const unsigned char texel[4] = {r, g, b, 255};
    for (GLenum face = 0; face < (kind == GL_TEXTURE_2D ? 1u : 6u); ++face) {
        glTexImage2D(kind == GL_TEXTURE_2D ? kind : GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0,
                     GL_RGB8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    }
    glTexParameteri(kind, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(kind, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return id;
}

// The minifying and magnifying filters of the 2D texture.
inline std::pair<GLint, GLint> filtersOf(GLuint id) {
    glBindTexture(GL_TEXTURE_2D, id);
    const std::pair<GLint, GLint> filters = {
        queried(glGetTexParameteriv, GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER),
        queried(glGetTexParameteriv, GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER)};
    glBindTexture(GL_TEXTURE_2D, 0);
    return filters;
}

// Two triangles over the whole viewport, every corner with the normal.
inline std::vector<Vertex> screenQuad(const glm::vec3& normal = glm::vec3(0.0f)) {
    std::vector<Vertex> corners(4);
    const glm::vec2 at[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        corners[i] = {glm::vec3(at[i], 0.0f), normal, 0.5f * (at[i] + glm::vec2(1.0f)), {}};
    }
    return corners;
}
inline const std::vector<unsigned int> quadIndices = {0, 1, 2, 0, 2, 3};

// What the lit programs are given: the house's light, the torch's place, direction and the three
// angles of its cone, the viewer's place, and the light-space, view and projection matrices. The
// object and light colours, the specular power and the shadow filtering are the game's.
struct Lighting {
    float visibility;
    glm::vec3 lightPos, viewPos, direction;
    float angles[3];
    glm::mat4 lightSpace, view, projection;
};

inline void uploadLighting(GLuint program, const Lighting& l) {
    const auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    glUseProgram(program);
    glUniform1f(at("visibility"), l.visibility);
    glUniform3f(at("objectColor"), 1.0f, 0.5f, 0.31f);
    glUniform3f(at("lightColor"), 1.0f, 1.0f, 1.0f);
    glUniform3fv(at("lightPos"), 1, glm::value_ptr(l.lightPos));
    glUniform3fv(at("viewPos"), 1, glm::value_ptr(l.viewPos));
    glUniform3fv(at("direction"), 1, glm::value_ptr(l.direction));
    glUniform1f(at("cutOff"), std::cos(l.angles[0]));
    glUniform1f(at("cutOff2"), std::cos(l.angles[1]));
    glUniform1f(at("cutOff3"), std::cos(l.angles[2]));
    glUniform1f(at("power"), 32.0f);
    glUniform1i(at("pcf"), 1);
    glUniformMatrix4fv(at("M_VL_PL_L"), 1, GL_FALSE, glm::value_ptr(l.lightSpace));
    glUniformMatrix4fv(at("view"), 1, GL_FALSE, glm::value_ptr(l.view));
    glUniformMatrix4fv(at("projection"), 1, GL_FALSE, glm::value_ptr(l.projection));
}

// A small OBJ with one textured quad per named material, and its material library.
inline std::string quadObj(const std::string& mtlName, const std::vector<std::string>& materials) {
    std::string text = "mtllib " + mtlName + "\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    text += "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n";
    for (size_t i = 0; i < materials.size(); ++i) {
        text += "o part" + std::to_string(i) + "\nusemtl " + materials[i] + "\n";
        text += "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
    }
    return text;
}

// A colour and depth target, bound with a matching viewport by bind() and on construction.
class Target {
public:
    // A colour format of 32-bit floats lets a NaN or an infinity reach the read-back unchanged.
    Target(int width, int height, GLenum colourFormat = GL_RGBA8) : width_(width), height_(height) {
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(2, buffers_);
        bind();
        const GLenum formats[2] = {colourFormat, GL_DEPTH_COMPONENT24};
        const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
        for (int i = 0; i < 2; ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, buffers_[i]);
            glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, buffers_[i]);
        }
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(2, buffers_);
    }
    void bind() const {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glViewport(0, 0, width_, height_);
    }
    // The picture as RGB, top row first.
    std::vector<unsigned char> picture() const {
        const size_t row = static_cast<size_t>(width_) * 3;
        std::vector<unsigned char> pixels(row * height_);
        readPixelsRgb(width_, height_, pixels.data());
        for (int y = 0; y < height_ / 2; ++y) {
            std::swap_ranges(pixels.begin() + y * row, pixels.begin() + (y + 1) * row,
                             pixels.end() - (y + 1) * row);
        }
        return pixels;
    }
    // Every pixel's red, green and blue as floats, bottom row first.
    std::vector<glm::vec3> floats() const {
        std::vector<glm::vec3> pixels(static_cast<size_t>(width_) * height_);
        glReadPixels(0, 0, width_, height_, GL_RGB, GL_FLOAT, pixels.data());
        return pixels;
    }

private:
    int width_;
    int height_;
    GLuint fbo_ = 0;
    GLuint buffers_[2] = {0, 0};
};

// A current context and a scratch folder; the test must leave no GL error behind.
class GlTest : public testing::Test {
protected:
    GlTest() { testGlContext(); }
    void SetUp() override { clearGlErrors(); }
    void TearDown() override {
        glUseProgram(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // A program whose fragments show the red of the first diffuse map, the green of the second
    // and the blue of the first specular map; built on first use.
    Shader& samplerShader() {
        if (!samplerShader_) {
            samplerShader_ = std::make_unique<Shader>(
                dir.write("sampler.vert",
                          "#version 330 core\nlayout(location = 0) in vec3 aPos;\n"
                          "void main() { gl_Position = vec4(aPos, 1.0); }\n"),
                dir.write(
                    "sampler.frag",
                    "#version 330 core\nout vec4 color;\n"
                    "uniform sampler2D texture_diffuse1;\nuniform sampler2D texture_diffuse2;\n"
                    "uniform sampler2D texture_specular1;\nvoid main() {\n"
                    "  color = vec4(texture(texture_diffuse1, vec2(0.5)).r, "
                    "texture(texture_diffuse2, vec2(0.5)).g, "
                    "texture(texture_specular1, vec2(0.5)).b, 1.0);\n}\n"));
        }
        return *samplerShader_;
    }

    ScratchDir dir;

private:
    std::unique_ptr<Shader> samplerShader_;
};

}  // namespace fixture
