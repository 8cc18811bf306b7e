// Our GLSL programs at work: a textured box on a floor, lit by the spot light and casting a
// shadow, rendered off screen the way the game's passes render and compared with a reference
// picture. A few pixels are also checked by what they must show, independent of the picture.

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "render/Model.h"
#include "render/Shader.h"
#include "render/ShadowTarget.h"
#include "render_fixtures.h"
#include "support/GlContext.h"
#include "support/Reference.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

const glm::vec3 eye(2.6f, 2.8f, 4.2f);
const glm::vec3 lookAtPoint(0.2f, 0.35f, 0.0f);
const glm::vec3 lightPosition(-2.5f, 3.0f, 2.5f);
// Not normalised, like the player's view direction the game passes.
const glm::vec3 lightDirection(3.0f, -3.0f, -2.8f);

using fixture::Rgb;

// An 8 x 8 floor with four repeats of a two-tone checker, and a unit box with a plank pattern.
void writeScene(const fixture::ScratchDir& dir) {
    ASSERT_TRUE(fixture::saveRgbImage(dir.file("floor.bmp"), FIF_BMP, 8, 8, [](int x, int y) {
        return ((x / 4 + y / 4) % 2 == 0) ? Rgb{200, 190, 170} : Rgb{120, 110, 100};
    }));
    ASSERT_TRUE(fixture::saveRgbImage(dir.file("crate.bmp"), FIF_BMP, 16, 16, [](int x, int y) {
        const bool border = x < 2 || y < 2 || x > 13 || y > 13;
        const bool brace = std::abs(x - y) < 2;
        if (border || brace) {
            return Rgb{90, 50, 20};
        }
        return (y / 4) % 2 == 0 ? Rgb{210, 150, 80} : Rgb{190, 130, 65};
    }));
    dir.write("scene.mtl", "newmtl floor\nmap_Kd " + dir.file("floor.bmp") +
                               "\nnewmtl crate\nmap_Kd " + dir.file("crate.bmp") + "\n");
    dir.write("floor.obj",
              "mtllib scene.mtl\nv -4 0 -4\nv 4 0 -4\nv 4 0 4\nv -4 0 4\n"
              "vt 0 0\nvt 4 0\nvt 4 4\nvt 0 4\nvn 0 1 0\nusemtl floor\n"
              "f 4/1/1 3/2/1 2/3/1 1/4/1\n");
    dir.write("box.obj",
              "mtllib scene.mtl\n"
              "v -0.5 0 -0.5\nv 0.5 0 -0.5\nv 0.5 1 -0.5\nv -0.5 1 -0.5\n"
              "v -0.5 0 0.5\nv 0.5 0 0.5\nv 0.5 1 0.5\nv -0.5 1 0.5\n"
              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
              "vn 0 0 -1\nvn 0 0 1\nvn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\n"
              "usemtl crate\n"
              "f 2/1/1 1/2/1 4/3/1 3/4/1\n"
              "f 5/1/2 6/2/2 7/3/2 8/4/2\n"
              "f 1/1/3 5/2/3 8/3/3 4/4/3\n"
              "f 6/1/4 2/2/4 3/3/4 7/4/4\n"
              "f 1/1/5 2/2/5 6/3/5 5/4/5\n"
              "f 8/1/6 7/2/6 3/3/6 4/4/6\n");
}

// The matrices and uniforms the game's passes use, for this scene's camera and light.
struct Frame {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::mat4 lightSpace{1.0f};
    glm::mat4 biasedLight{1.0f};
};

Frame frameMatrices() {
    Frame frame;
    frame.view = glm::lookAt(eye, lookAtPoint, glm::vec3(0.0f, 1.0f, 0.0f));
    const float t = std::tan(22.5f);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    frame.projection = glm::mat4(0.0f);
    frame.projection[0][0] = 1.0f / (aspect * t);
    frame.projection[1][1] = 1.0f / t;
    frame.projection[2][2] = -1.0050125f;
    frame.projection[2][3] = -1.0f;
    frame.projection[3][2] = -0.20050125f;
    glm::mat4 lightProjection(0.0f);
    lightProjection[0][0] = lightProjection[1][1] = 1.0f / std::tan(45.0f);
    lightProjection[2][2] = -1.0001f;
    lightProjection[2][3] = -1.0f;
    lightProjection[3][2] = -0.0020001f;
    const glm::mat4 lightView =
        glm::lookAt(lightPosition, lightPosition + lightDirection, glm::vec3(0.0f, 1.0f, 0.0f));
    frame.lightSpace = lightProjection * lightView;
    const glm::mat4 bias(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f,
                         0.5f, 0.5f, 0.5f, 1.0f);
    frame.biasedLight = bias * frame.lightSpace;
    return frame;
}

// Where a world point lands in the picture, top row first.
glm::ivec2 pixelOf(const Frame& frame, const glm::vec3& world) {
    const glm::vec4 clip = frame.projection * frame.view * glm::vec4(world, 1.0f);
    const glm::vec2 ndc = glm::vec2(clip) / clip.w;
    return {static_cast<int>((ndc.x * 0.5f + 0.5f) * width),
            static_cast<int>((0.5f - ndc.y * 0.5f) * height)};
}

class SceneRender {
public:
    SceneRender(const fixture::ScratchDir& dir)
        : main_(std::string(VELMORA_RUN_DIR) + "/TextureVer",
                std::string(VELMORA_RUN_DIR) + "/TextureFrag"),
          depth_(std::string(VELMORA_RUN_DIR) + "/Shadow_depth_ver",
                 std::string(VELMORA_RUN_DIR) + "/Shadow_depth_frag"),
          floor_(dir.file("floor.obj"), &main_),
          box_(dir.file("box.obj"), &main_) {
        creatDeathTexture();
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(2, buffers_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  buffers_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  buffers_[1]);
    }
    ~SceneRender() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(2, buffers_);
    }
    SceneRender(const SceneRender&) = delete;
    SceneRender& operator=(const SceneRender&) = delete;

    bool loaded() const { return floor_.meshes.size() == 1 && box_.meshes.size() == 1; }

    // Renders one frame and returns it as RGB, top row first.
    std::vector<unsigned char> render(float visibility, int pcf) {
        const Frame frame = frameMatrices();
        glEnable(GL_DEPTH_TEST);

        // Depth from the light, with the polygon offset of a view along the light's x and z.
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(9.0f * std::max(0.5f, 3.0f / std::hypot(3.0f, 2.8f)),
                        9.0f * std::max(0.5f, 2.8f / std::hypot(3.0f, 2.8f)));
        glUseProgram(depth_.programId);
        glUniformMatrix4fv(glGetUniformLocation(depth_.programId, "lsm"), 1, GL_FALSE,
                           glm::value_ptr(frame.lightSpace));
        glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
        glViewport(0, 0, shadowMapSize, shadowMapSize);
        glClear(GL_DEPTH_BUFFER_BIT);
        shadowPassActive = true;
        drawModels(depth_);
        shadowPassActive = false;
        glDisable(GL_POLYGON_OFFSET_FILL);

        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glViewport(0, 0, width, height);
        glClearColor(0.02f, 0.02f, 0.03f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const GLuint program = main_.programId;
        glUseProgram(program);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, shadowMapTexture);
        glUniform1i(glGetUniformLocation(program, "shadowMap"), 1);
        glUniform1i(glGetUniformLocation(program, "pcf"), pcf);
        glUniformMatrix4fv(glGetUniformLocation(program, "M_VL_PL_L"), 1, GL_FALSE,
                           glm::value_ptr(frame.biasedLight));
        glUniform1f(glGetUniformLocation(program, "visibility"), visibility);
        glUniform3f(glGetUniformLocation(program, "objectColor"), 1.0f, 0.5f, 0.31f);
        glUniform3f(glGetUniformLocation(program, "lightColor"), 1.0f, 1.0f, 1.0f);
        glUniform3fv(glGetUniformLocation(program, "lightPos"), 1, glm::value_ptr(lightPosition));
        glUniform3fv(glGetUniformLocation(program, "viewPos"), 1, glm::value_ptr(eye));
        glUniform3fv(glGetUniformLocation(program, "direction"), 1, glm::value_ptr(lightDirection));
        glUniform1f(glGetUniformLocation(program, "cutOff"), std::cos(0.5323254f));
        glUniform1f(glGetUniformLocation(program, "cutOff2"), std::cos(0.1308997f));
        glUniform1f(glGetUniformLocation(program, "cutOff3"), std::cos(0.0610865f));
        glUniform1f(glGetUniformLocation(program, "power"), 32.0f);
        glUniformMatrix4fv(glGetUniformLocation(program, "view"), 1, GL_FALSE,
                           glm::value_ptr(frame.view));
        glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE,
                           glm::value_ptr(frame.projection));
        drawModels(main_);

        std::vector<unsigned char> bottomFirst(static_cast<size_t>(width) * height * 3);
        readPixelsRgb(width, height, bottomFirst.data());
        std::vector<unsigned char> topFirst(bottomFirst.size());
        const size_t row = static_cast<size_t>(width) * 3;
        for (int y = 0; y < height; ++y) {
            std::copy_n(bottomFirst.begin() + static_cast<long>((height - 1 - y) * row), row,
                        topFirst.begin() + static_cast<long>(y * row));
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(0);
        glDisable(GL_DEPTH_TEST);
        return topFirst;
    }

private:
    void drawModels(const Shader& shader) {
        const GLint model = glGetUniformLocation(shader.programId, "tModel");
        const glm::mat4 identity(1.0f);
        glUniformMatrix4fv(model, 1, GL_FALSE, glm::value_ptr(identity));
        floor_.draw();
        // The box is turned a little so its shadow shows two faces.
        const glm::mat4 turned = glm::rotate(identity, 0.35f, glm::vec3(0.0f, 1.0f, 0.0f));
        glUniformMatrix4fv(model, 1, GL_FALSE, glm::value_ptr(turned));
        box_.draw();
    }

    Shader main_;
    Shader depth_;
    Model floor_;
    Model box_;
    GLuint fbo_ = 0;
    GLuint buffers_[2] = {0, 0};
};

float brightness(const std::vector<unsigned char>& picture, glm::ivec2 at) {
    float sum = 0.0f;
    int count = 0;
    // A 3 x 3 average keeps one texel of the checker from deciding the result.
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const size_t i = (static_cast<size_t>(at.y + dy) * width + (at.x + dx)) * 3;
            sum += picture[i] + picture[i + 1] + picture[i + 2];
            ++count;
        }
    }
    return sum / (3.0f * count);
}

class SceneTest : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        writeScene(dir);
        fixture::clearGlErrors();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    fixture::ScratchDir dir;
};

TEST_F(SceneTest, LitTexturedBoxCastsAShadowInsideTheCone) {
    SceneRender scene(dir);
    ASSERT_TRUE(scene.loaded());
    const Frame frame = frameMatrices();
    const std::vector<unsigned char> picture = scene.render(3.0f, 1);
    const std::string written = std::string(VELMORA_TEST_OUTPUT_DIR) + "/render_scene.png";
    ASSERT_TRUE(writePng(written.c_str(), width, height, picture.data()));

    // Floor points: behind the box as the light sees it, lit beside the shadow, and outside the
    // cone. Each must be on screen and not hidden by the box.
    const glm::ivec2 shadowed = pixelOf(frame, {0.91f, 0.0f, -0.91f});
    const glm::ivec2 lit = pixelOf(frame, {1.5f, 0.0f, 0.6f});
    const glm::ivec2 dark = pixelOf(frame, {-2.5f, 0.0f, -1.5f});
    for (const glm::ivec2& p : {shadowed, lit, dark}) {
        ASSERT_TRUE(p.x > 0 && p.x < width - 1 && p.y > 0 && p.y < height - 1) << p.x << "," << p.y;
    }
    const float inShadow = brightness(picture, shadowed);
    const float inLight = brightness(picture, lit);
    const float outside = brightness(picture, dark);
    EXPECT_GT(inLight, 2.0f * inShadow) << inLight << " vs " << inShadow;
    EXPECT_GT(inLight, 2.0f * outside) << inLight << " vs " << outside;
    EXPECT_GT(outside, 0.0f) << "a little light reaches everywhere";

    // The brightness setting lifts the parts the torch does not reach.
    const std::vector<unsigned char> bright = scene.render(10.0f, 1);
    EXPECT_GT(brightness(bright, dark), 3.0f * outside);

    // Compared with the committed picture within a tolerance, since another driver may round a
    // few edge pixels differently.
    const std::string reference =
        std::string(VELMORA_SOURCE_DIR) + "/tests/gl/reference/render_scene.png";
    const PictureDifference difference = compareWithReference(picture, width, height, reference);
    ASSERT_TRUE(difference.referenceRead)
        << "no reference picture; this run's picture is " << written;
    EXPECT_LE(difference.largest, 64) << "see " << written;
    EXPECT_LE(difference.differingShare, 0.01) << "see " << written;
}

}  // namespace
