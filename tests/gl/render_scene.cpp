// Our GLSL programs at work: a textured box on a floor, lit by the spot light and casting a
// shadow, rendered off screen the way the game's passes render and compared with a reference
// picture.

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/Model.h"
#include "render/Shader.h"
#include "render/ShadowTarget.h"
#include "scene/PassSetup.h"
#include "scene/ShadowPass.h"
#include "render_fixtures.h"
#include "support/GlContext.h"
#include "support/Reference.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

const glm::vec3 eye(2.6f, 2.8f, 4.2f);
const glm::vec3 lightPosition(-2.5f, 3.0f, 2.5f);
// Not normalised, like the player's view direction the game passes.
const glm::vec3 lightDirection(3.0f, -3.0f, -2.8f);

using fixture::Rgb;

// An 8 x 8 floor with four repeats of a two-tone checker, and a unit box with a plank pattern.
void writeScene(const fixture::ScratchDir& dir) {
    ASSERT_TRUE(fixture::saveRgbImage(dir.file("floor.bmp"), 8, 8, [](int x, int y) {
        return ((x / 4 + y / 4) % 2 == 0) ? Rgb{200, 190, 170} : Rgb{120, 110, 100};
    }));
    ASSERT_TRUE(fixture::saveRgbImage(dir.file("crate.bmp"), 16, 16, [](int x, int y) {
        const bool border = x < 2 || y < 2 || x > 13 || y > 13;
        if (border || std::abs(x - y) < 2) {
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
              "f 2/1/1 1/2/1 4/3/1 3/4/1\nf 5/1/2 6/2/2 7/3/2 8/4/2\nf 1/1/3 5/2/3 8/3/3 4/4/3\n"
              "f 6/1/4 2/2/4 3/3/4 7/4/4\nf 1/1/5 2/2/5 6/3/5 5/4/5\nf 8/1/6 7/2/6 3/3/6 4/4/6\n");
}

// The matrices the game's passes use, for this scene's camera and light.
const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.2f, 0.35f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));

// The light's view through the game's light projection.
glm::mat4 lightSpace() {
    return lightProjection() *
           glm::lookAt(lightPosition, lightPosition + lightDirection, glm::vec3(0.0f, 1.0f, 0.0f));
}

using SceneTest = fixture::GlTest;

TEST_F(SceneTest, LitTexturedShadowedBoxMatchesTheReferencePicture) {
    writeScene(dir);
    const std::string run = VELMORA_RUN_DIR;
    Shader main(run + "/TextureVer", run + "/TextureFrag");
    const Shader depth(run + "/Shadow_depth_ver", run + "/Shadow_depth_frag");
    Model floor(dir.file("floor.obj"), &main);
    Model box(dir.file("box.obj"), &main);
    ASSERT_TRUE(floor.meshes.size() == 1 && box.meshes.size() == 1);
    creatDeathTexture();
    const fixture::Target target(width, height);

    const auto drawModels = [&](const Shader& shader) {
        const GLint model = glGetUniformLocation(shader.programId, "tModel");
        const glm::mat4 identity(1.0f);
        glUniformMatrix4fv(model, 1, GL_FALSE, glm::value_ptr(identity));
        floor.draw();
        // The box is turned a little so its shadow shows two faces.
        const glm::mat4 turned = glm::rotate(identity, 0.35f, glm::vec3(0.0f, 1.0f, 0.0f));
        glUniformMatrix4fv(model, 1, GL_FALSE, glm::value_ptr(turned));
        box.draw();
    };
    const auto render = [&](float visibility) {
        glEnable(GL_DEPTH_TEST);
        // Depth from the light, with the polygon offset of a view along the light's x and z.
        glEnable(GL_POLYGON_OFFSET_FILL);
        const PolygonOffset offset = polygonOffsetFor(lightDirection);
        glPolygonOffset(offset.factor, offset.units);
        glUseProgram(depth.programId);
        glUniformMatrix4fv(glGetUniformLocation(depth.programId, "lsm"), 1, GL_FALSE,
                           glm::value_ptr(lightSpace()));
        glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
        glViewport(0, 0, shadowMapSize, shadowMapSize);
        glClear(GL_DEPTH_BUFFER_BIT);
        shadowPassActive = true;
        drawModels(depth);
        shadowPassActive = false;
        glDisable(GL_POLYGON_OFFSET_FILL);

        target.bind();
        glClearColor(0.02f, 0.02f, 0.03f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, shadowMapTexture);
        fixture::uploadLighting(main.programId, {visibility,
                                                 lightPosition,
                                                 eye,
                                                 lightDirection,
                                                 {0.5323254f, 0.1308997f, 0.0610865f},
                                                 biasMatrix * lightSpace(),
                                                 view,
                                                 sceneProjection(width, height)});
        glUniform1i(glGetUniformLocation(main.programId, "shadowMap"), 1);
        drawModels(main);

        return target.picture();
    };
    const std::vector<unsigned char> picture = render(3.0f);
    const std::string written = std::string(VELMORA_TEST_OUTPUT_DIR) + "/render_scene.png";
    ASSERT_TRUE(writePng(written.c_str(), width, height, picture.data()));

    // Compared with the committed picture within a tolerance, since another driver may round a
    // few edge pixels differently.
    const PictureDifference difference = compareWithReference(
        picture, width, height,
        std::string(VELMORA_SOURCE_DIR) + "/tests/gl/reference/render_scene.png");
    ASSERT_TRUE(difference.referenceRead)
        << "no reference picture; this run's picture is " << written;
    EXPECT_LE(difference.largest, 64) << "see " << written;
    EXPECT_LE(difference.differingShare, 0.01) << "see " << written;
    // The brightness setting lifts what the torch does not reach, most of the picture.
    EXPECT_GT(comparePictures(picture, render(10.0f)).differingShare, 0.5);
}

}  // namespace
