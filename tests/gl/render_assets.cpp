// The asset set-up: every long-lived object created from the files of the working directory,
// silently when all is well, and released in order at shut-down (watched on the heap).

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "render/Assets.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "support/GlContext.h"
#include "support/HeapHooks.h"

namespace {

// Every release's address while recording.
constexpr std::size_t recordCapacity = 1 << 20;
const void* freedAt[recordCapacity];
std::size_t freeCount = 0;

void recordReleases(bool on) {
    heap::onRelease = !on ? nullptr : +[](void* memory) {
        if (freeCount < recordCapacity) {
            freedAt[freeCount++] = memory;
        }
    };
}

// Models with their files: the first and the last, models sharing a file, and the two released
// out of order.
struct ModelRow {
    std::unique_ptr<Model>* owner;
    const char* path;
};
const ModelRow modelRows[] = {
    {&houseModel, "Meshes/finished_houseWG.obj"},
    {&box1LidModel, "Meshes/box1-deckel.obj"},
    {&box2LidModel, "Meshes/box1-deckel.obj"},
    {&labyrinthModel, "Meshes/Labyrinth.obj"},
    {&collisionShapesModel, "Meshes/collisionshapes.obj"},
    {&extraKeyBModel, "Meshes/key1.obj"},
};

// When the object at the address was freed: the first release there (-1: never).
long freeIndex(const void* object) {
    const auto at = std::find(freedAt, freedAt + freeCount, object);
    return at == freedAt + freeCount ? -1 : static_cast<long>(at - freedAt);
}

// Runs the set-up in the folder; returns what it wrote to standard output, then to standard error.
std::string setUpAssetsIn(const std::string& folder) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    testing::internal::CaptureStderr();
    const std::string out = fixture::stdoutOf([] { setupAssets(testGlContext()); });
    std::filesystem::current_path(previous);
    return out + testing::internal::GetCapturedStderr();
}

// A working directory with the game's shaders and, for every model file of the generated world,
// one small textured model with an image of its own colour.
class AssetsTest : public fixture::GlTest {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        for (const fs::directory_entry& entry : fs::directory_iterator(VELMORA_RUN_DIR)) {
            if (entry.is_regular_file() && !entry.path().has_extension() &&
                entry.path().filename() != "velmora") {
                fs::copy_file(entry.path(), dir.file(entry.path().filename().string()));
            }
        }
        for (const fs::directory_entry& entry :
             fs::directory_iterator(std::string(VELMORA_RUN_DIR) + "/Meshes")) {
            if (entry.path().extension() != ".obj") {
                continue;
            }
            const std::string base = entry.path().stem().string();
            const unsigned char red = static_cast<unsigned char>(5 * colours.size());
            colours["Meshes/" + base + ".obj"] = red;
            const std::string image = dir.file("t" + std::to_string(red) + ".bmp");
            ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {red, 90, 30}));
            dir.write("Meshes/" + base + ".mtl", "newmtl m\nmap_Kd " + image + "\n");
            dir.write("Meshes/" + base + ".obj", fixture::quadObj(base + ".mtl", {"m"}));
        }
        fixture::GlTest::SetUp();
    }
    void TearDown() override {
        releaseAssets();
        labyrinthModel.reset();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        fixture::GlTest::TearDown();
    }
    // The red of each model file's image.
    std::map<std::string, unsigned char> colours;
};

TEST_F(AssetsTest, EveryObjectIsCreatedSilentlyAndReleasedInOrder) {
    EXPECT_EQ(setUpAssetsIn(dir.path()), "");
    ASSERT_TRUE(mainShader && depthShader && envMapShader && spotLight && secondCamera);
    // Each model with the texture of its own file's image.
    for (const ModelRow& row : modelRows) {
        ASSERT_TRUE(*row.owner) << row.path;
        EXPECT_EQ(fixture::readTexture((*row.owner)->meshes.at(0).textures.at(0).id).at(0),
                  colours.at(row.path))
            << row.path;
    }
    // The decode cache is closed at the end: a changed image is read afresh.
    const std::string image = dir.file("t0.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {1, 2, 3}));
    EXPECT_EQ(fixture::readTexture(textureFromFile(image.c_str(), "")).at(0), 1);

    // Release: the programs (deleted with their GL objects), the light, the player camera, every
    // model but the labyrinth and the collision shapes, the second camera, the collision shapes.
    const unsigned int program = mainShader->programId;
    std::vector<const void*> released = {mainShader.get(), envMapShader.get(), spotLight.get(),
                                         playerCamera.get()};
    for (const ModelRow& row : modelRows) {
        if (row.owner != &labyrinthModel && row.owner != &collisionShapesModel) {
            released.push_back(row.owner->get());
        }
    }
    released.insert(released.end(), {secondCamera.get(), collisionShapesModel.get()});
    const void* labyrinth = labyrinthModel.get();
    freeCount = 0;
    recordReleases(true);
    releaseAssets();
    recordReleases(false);
    for (std::size_t i = 0; i < released.size(); ++i) {
        EXPECT_GT(freeIndex(released[i]), i == 0 ? -1 : freeIndex(released[i - 1])) << i;
    }
    EXPECT_EQ(freeIndex(labyrinth), -1);
    EXPECT_FALSE(glIsProgram(program));
}

}  // namespace
