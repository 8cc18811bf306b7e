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

// Runs the set-up in the folder; returns what it wrote to standard output, then to standard error.
std::string setUpAssetsIn(const std::string& folder) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    testing::internal::CaptureStderr();
    const std::string out = fixture::stdoutOf([] { setupAssets(testGlContext()); });
    std::filesystem::current_path(previous);
    return out + testing::internal::GetCapturedStderr();
}

// A working directory with the game's shaders and one small textured model per distinct file of
// the model table; the models share three images between them.
class AssetsTest : public fixture::GlTest {
protected:
    void SetUp() override {
        for (const char* name : {"TextureVer", "TextureFrag", "Shadow_depth_ver",
                                 "Shadow_depth_frag", "EMVshader", "EMFshader"}) {
            std::filesystem::copy_file(std::string(VELMORA_RUN_DIR) + "/" + name, dir.file(name));
        }
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(fixture::saveSolidImage(dir.file("t" + std::to_string(i) + ".bmp"), 4, 4,
                                                {static_cast<unsigned char>(60 * i), 90, 30}));
        }
        std::set<std::string> written;
        for (const ModelFile& row : modelFiles) {
            const std::string path = row.path;
            if (written.insert(path).second) {
                const std::string base = path.substr(0, path.size() - 4);
                const std::string image =
                    dir.file("t" + std::to_string(written.size() % 3) + ".bmp");
                dir.write(base + ".mtl", "newmtl m\nmap_Kd " + image + "\n");
                dir.write(path, fixture::quadObj(base.substr(base.find('/') + 1) + ".mtl", {"m"}));
            }
        }
        fixture::GlTest::SetUp();
    }
    void TearDown() override {
        releaseAssets();
        labyrinthModel.reset();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        fixture::GlTest::TearDown();
    }
};

TEST_F(AssetsTest, EveryObjectIsCreatedSilentlyAndReleasedInOrder) {
    shadowMapFbo = 0;
    EXPECT_EQ(setUpAssetsIn(dir.path()), "");
    ASSERT_TRUE(mainShader && depthShader && envMapShader);
    ASSERT_TRUE(spotLight && playerCamera && secondCamera);
    for (const ModelFile& row : modelFiles) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(*row.owner);
        EXPECT_EQ((*row.owner)->shader, mainShader.get());
        ASSERT_EQ((*row.owner)->meshes.size(), 1u);
        ASSERT_EQ((*row.owner)->meshes[0].textures.size(), 1u);
    }
    // Models of one file are separate loads with their own textures.
    EXPECT_NE(box1Model->meshes[0].textures[0].id, box2Model->meshes[0].textures[0].id);
    EXPECT_NE(shadowMapFbo, 0u);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));

    // The decode cache is closed at the end: a changed image is read afresh.
    const std::string image = dir.file("t0.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {1, 2, 3}));
    EXPECT_EQ(fixture::readTexture(textureFromFile(image.c_str(), "")).at(0), 1);

    // Release empties every owner but the labyrinth's and deletes the programs.
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

TEST_F(AssetsTest, MissingModelsAreReportedInCreationOrderAndLeftEmpty) {
    std::filesystem::remove(dir.file("Meshes/test.obj"));
    std::filesystem::remove(dir.file("Meshes/bord.obj"));
    const std::string out = setUpAssetsIn(dir.path());
    const size_t test = out.find("ERROR::ASSIMP:: ", 1);
    ASSERT_NE(test, std::string::npos) << out;
    EXPECT_EQ(out.rfind("ERROR::ASSIMP:: ", 0), 0u) << out;
    EXPECT_NE(out.substr(0, test).find("bord.obj"), std::string::npos) << out;
    EXPECT_NE(out.substr(test).find("test.obj"), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR", test + 1), std::string::npos) << "two lines only";
    EXPECT_TRUE(testModel->meshes.empty());
    EXPECT_TRUE(boardModel->meshes.empty());
    EXPECT_EQ(extraKeyBModel->meshes.size(), 1u) << "set-up goes on after a failure";
}

// The game's own data set, which the build generates beside the binary.
TEST_F(AssetsTest, TheGeneratedWorldLoadsWithoutASingleMessage) {
    EXPECT_EQ(setUpAssetsIn(VELMORA_RUN_DIR), "");
    for (const ModelFile& row : modelFiles) {
        EXPECT_FALSE((*row.owner)->meshes.empty()) << row.path;
    }
}

}  // namespace
