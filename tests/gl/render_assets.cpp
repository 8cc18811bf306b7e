// The asset set-up: every long-lived object created in order from the files of the working
// directory, silently when all is well, and released in order at shut-down.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "render/Assets.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

namespace {

// A working directory with the game's shaders and one small textured model per distinct file of
// the model table; the models share three images between them.
class AssetsTest : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        for (const char* name : {"TextureVer", "TextureFrag", "Shadow_depth_ver",
                                 "Shadow_depth_frag", "EMVshader", "EMFshader"}) {
            std::filesystem::copy_file(std::string(VELMORA_RUN_DIR) + "/" + name, dir.file(name));
        }
        std::filesystem::create_directories(dir.file("Textures"));
        const fixture::Rgb colours[3] = {{180, 120, 60}, {60, 60, 60}, {20, 90, 160}};
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(fixture::saveSolidImage(dir.file("Textures/t" + std::to_string(i) + ".bmp"),
                                                4, 4, colours[i]));
        }
        std::set<std::string> written;
        for (const ModelFile& row : modelFiles) {
            const std::string path = row.path;
            if (!written.insert(path).second) {
                continue;
            }
            const std::string base = path.substr(0, path.size() - 4);
            const std::string image = "Textures/t" + std::to_string(written.size() % 3) + ".bmp";
            dir.write(base + ".mtl", "newmtl m\nmap_Kd " + image + "\n");
            const std::string mtl = base.substr(base.find('/') + 1) + ".mtl";
            dir.write(path, fixture::quadObj(mtl, {"m"}));
        }
        fixture::clearGlErrors();
    }
    void TearDown() override {
        releaseAssets();
        labyrinthModel.reset();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // Runs the set-up in the prepared folder and returns what it wrote to standard output.
    std::string setUpAssets(std::string& errors) {
        fixture::WorkingDir working(dir.path());
        testing::internal::CaptureStderr();
        fixture::StdoutCapture out;
        setupAssets(testGlContext());
        const std::string written = out.text();
        errors = testing::internal::GetCapturedStderr();
        return written;
    }

    fixture::ScratchDir dir;
};

TEST_F(AssetsTest, EveryObjectIsCreatedSilentlyWhenAllFilesArePresent) {
    std::string errors;
    EXPECT_EQ(setUpAssets(errors), "");
    EXPECT_EQ(errors, "");

    ASSERT_TRUE(mainShader && depthShader && envMapShader);
    ASSERT_TRUE(spotLight && playerCamera && secondCamera);
    EXPECT_EQ(spotLight->position, glm::vec3(0.0f, 0.0f, 1.5f));
    EXPECT_FALSE(spotLight->heightLocked);
    EXPECT_EQ(playerCamera->viewportWidth, 0);
    EXPECT_EQ(secondCamera->viewportHeight, 0);
    std::set<const void*> owners;
    for (const ModelFile& row : modelFiles) {
        SCOPED_TRACE(row.path);
        owners.insert(row.owner);
        ASSERT_TRUE(*row.owner);
        const Model& model = **row.owner;
        EXPECT_EQ(model.shader, mainShader.get());
        ASSERT_EQ(model.meshes.size(), 1u);
        ASSERT_EQ(model.meshes[0].textures.size(), 1u);
        EXPECT_TRUE(glIsTexture(model.meshes[0].textures[0].id));
    }
    EXPECT_EQ(owners.size(), 68u) << "each row fills its own owner";
    // Models of one file are separate loads with their own textures.
    EXPECT_NE(box1Model->meshes[0].textures[0].id, box2Model->meshes[0].textures[0].id);
    EXPECT_NE(box1Model->meshes[0].vao, box2Model->meshes[0].vao);

    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));

    // The decode cache is closed at the end: a changed image is read afresh.
    const std::string image = dir.file("Textures/t0.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {1, 2, 3}));
    int width = 0;
    int height = 0;
    EXPECT_EQ(fixture::readTexture(textureFromFile(image.c_str(), ""), width, height)[0], 1);
}

TEST_F(AssetsTest, MissingModelsAreReportedInCreationOrderAndLeftEmpty) {
    std::filesystem::remove(dir.file("Meshes/test.obj"));
    std::filesystem::remove(dir.file("Meshes/bord.obj"));
    std::string errors;
    const std::string out = setUpAssets(errors);
    EXPECT_EQ(errors, "");
    const size_t board = out.find("ERROR::ASSIMP:: ");
    const size_t test = out.find("ERROR::ASSIMP:: ", board + 1);
    ASSERT_NE(test, std::string::npos) << out;
    EXPECT_EQ(board, 0u);
    EXPECT_NE(out.substr(board, test).find("bord.obj"), std::string::npos) << out;
    EXPECT_NE(out.substr(test).find("test.obj"), std::string::npos) << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find("ERROR", test + 1), std::string::npos) << "two lines only";
    EXPECT_TRUE(testModel->meshes.empty());
    EXPECT_TRUE(boardModel->meshes.empty());
    EXPECT_EQ(extraKeyBModel->meshes.size(), 1u) << "set-up goes on after a failure";
}

TEST_F(AssetsTest, ReleaseEmptiesEveryOwnerButTheLabyrinthAndDeletesThePrograms) {
    std::string errors;
    setUpAssets(errors);
    const unsigned int programs[3] = {mainShader->programId, depthShader->programId,
                                      envMapShader->programId};
    releaseAssets();
    for (unsigned int program : programs) {
        EXPECT_FALSE(glIsProgram(program));
    }
    EXPECT_FALSE(mainShader || depthShader || envMapShader);
    EXPECT_FALSE(spotLight || playerCamera || secondCamera);
    for (const ModelFile& row : modelFiles) {
        EXPECT_EQ(static_cast<bool>(*row.owner), row.owner == &labyrinthModel) << row.path;
    }
}

// The game's own data set, as the build generates it beside the binary.
TEST(GameAssets, TheWorldLoadsWithoutASingleMessage) {
    testGlContext();
    if (!std::filesystem::exists(std::string(VELMORA_RUN_DIR) + "/Meshes")) {
        GTEST_SKIP() << "no world data in " << VELMORA_RUN_DIR;
    }
    fixture::clearGlErrors();
    {
        fixture::WorkingDir working(VELMORA_RUN_DIR);
        testing::internal::CaptureStderr();
        fixture::StdoutCapture out;
        setupAssets(testGlContext());
        EXPECT_EQ(out.text(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    for (const ModelFile& row : modelFiles) {
        ASSERT_TRUE(*row.owner);
        EXPECT_FALSE((*row.owner)->meshes.empty()) << row.path;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    releaseAssets();
    labyrinthModel.reset();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace
