// The asset set-up: every long-lived object created in order from the files of the working
// directory, silently when all is well, and released in order at shut-down. The orders are
// observed: which object was allocated and freed when.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "render/Assets.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

// Records the address of every allocation and every release while armed. Every plain and array
// form is replaced, so whatever any library allocates is released by the matching free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
constexpr std::size_t recordCapacity = 1 << 20;
bool recordHeap = false;
const void* allocatedAt[recordCapacity];
std::size_t allocationCount = 0;
const void* freedAt[recordCapacity];
std::size_t freeCount = 0;

void* allocate(std::size_t size) noexcept {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (recordHeap && allocationCount < recordCapacity) {
        allocatedAt[allocationCount++] = memory;
    }
    return memory;
}

void release(void* memory) noexcept {
    if (recordHeap && memory != nullptr && freeCount < recordCapacity) {
        freedAt[freeCount++] = memory;
    }
    std::free(memory);
}
}  // namespace

// clang-format off
void* operator new(std::size_t size) { if (void* p = allocate(size)) return p; throw std::bad_alloc(); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { release(memory); }
// clang-format on

namespace {

// The 68 models in the order the game creates them, with their files.
struct ModelRow {
    std::unique_ptr<Model>* owner;
    const char* path;
};
const ModelRow modelTable[] = {
    {&houseModel, "Meshes/finished_houseWG.obj"},
    {&playerBodyModel, "Meshes/playerWOFA.obj"},
    {&footModel, "Meshes/foot.obj"},
    {&armModel, "Meshes/arm.obj"},
    {&flowerModel, "Meshes/blume.obj"},
    {&statue1Model, "Meshes/statue1.obj"},
    {&statue2Model, "Meshes/statue2.obj"},
    {&box1LidModel, "Meshes/box1-deckel.obj"},
    {&box1Model, "Meshes/box1.obj"},
    {&box2LidModel, "Meshes/box1-deckel.obj"},
    {&box2Model, "Meshes/box1.obj"},
    {&box3LidModel, "Meshes/box1-deckel.obj"},
    {&box3Model, "Meshes/box1.obj"},
    {&key1Model, "Meshes/key1.obj"},
    {&key2Model, "Meshes/key2.obj"},
    {&level1Part1Model, "Meshes/Level1_1.obj"},
    {&level1Part2Model, "Meshes/Level1_2.obj"},
    {&level1Part3Model, "Meshes/Level1_3.obj"},
    {&doorModel, "Meshes/door.obj"},
    {&level1Place1Model, "Meshes/Level1_place1.obj"},
    {&level1Place2Model, "Meshes/Level1_place2.obj"},
    {&level1Place3Model, "Meshes/Level1_place3.obj"},
    {&boardModel, "Meshes/bord.obj"},
    {&level2Part1Model, "Meshes/Level2_1.obj"},
    {&level2Part2Model, "Meshes/Level2_2.obj"},
    {&level2Part3Model, "Meshes/Level2_3.obj"},
    {&level2Part4Model, "Meshes/Level2_4.obj"},
    {&level2Part5Model, "Meshes/Level2_5.obj"},
    {&level2Part6Model, "Meshes/Level2_6.obj"},
    {&level2Part7Model, "Meshes/Level2_7.obj"},
    {&level2Part8Model, "Meshes/Level2_8.obj"},
    {&envCubeModel, "Meshes/cubeFCMobj.obj"},
    {&labyrinthModel, "Meshes/Labyrinth.obj"},
    {&collisionShapesModel, "Meshes/collisionshapes.obj"},
    {&hiddenKeyBox1Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox1TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate1Model, "Meshes/platte.obj"},
    {&hiddenKeyMirror1Model, "Meshes/boxhiddenkeymirror.obj"},
    {&hiddenKeyBox2Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox2TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate2Model, "Meshes/platte.obj"},
    {&middlePart2Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox3Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox3TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate3Model, "Meshes/platte.obj"},
    {&middlePart3Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox4Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox4TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate4Model, "Meshes/platte.obj"},
    {&middlePart4Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox5Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox5TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate5Model, "Meshes/platte.obj"},
    {&middlePart5Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox6Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox6TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&testModel, "Meshes/test.obj"},
    {&hiddenKeyMirror6Model, "Meshes/boxhiddenkeymirror.obj"},
    {&hiddenKeyBox7Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox7TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate7Model, "Meshes/platte.obj"},
    {&middlePart7Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox8Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox8TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate8Model, "Meshes/platte.obj"},
    {&middlePart8Model, "Meshes/mittelteil.obj"},
    {&extraKeyAModel, "Meshes/key1.obj"},
    {&extraKeyBModel, "Meshes/key1.obj"},
};

// When the object now at the address was allocated: the last allocation there (-1: not seen).
long allocationIndex(const void* object) {
    for (std::size_t i = allocationCount; i > 0; --i) {
        if (allocatedAt[i - 1] == object) {
            return static_cast<long>(i - 1);
        }
    }
    return -1;
}

// When the object at the address was freed: the first release there (-1: never).
long freeIndex(const void* object) {
    for (std::size_t i = 0; i < freeCount; ++i) {
        if (freedAt[i] == object) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

// Each index after the one before: the objects were made (or freed) in the listed order.
void expectRising(const std::vector<std::pair<std::string, long>>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_GE(order[i].second, 0) << order[i].first;
        if (i > 0) {
            EXPECT_GT(order[i].second, order[i - 1].second)
                << order[i].first << " after " << order[i - 1].first;
        }
    }
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

// A working directory with the game's shaders and one small textured model per distinct file of
// the model table, each with an image of its own colour.
class AssetsTest : public fixture::GlTest {
protected:
    void SetUp() override {
        for (const char* name : {"TextureVer", "TextureFrag", "Shadow_depth_ver",
                                 "Shadow_depth_frag", "EMVshader", "EMFshader"}) {
            std::filesystem::copy_file(std::string(VELMORA_RUN_DIR) + "/" + name, dir.file(name));
        }
        for (const ModelRow& row : modelTable) {
            const std::string path = row.path;
            if (colours.count(path) == 0) {
                const unsigned char red = static_cast<unsigned char>(7 * colours.size());
                colours[path] = red;
                const std::string base = path.substr(0, path.size() - 4);
                const std::string image = dir.file("t" + std::to_string(red) + ".bmp");
                ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {red, 90, 30}));
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
    // The red of each file's image.
    std::map<std::string, unsigned char> colours;
};

TEST_F(AssetsTest, EveryObjectIsCreatedSilentlyAndReleasedInOrder) {
    shadowMapFbo = 0;
    allocationCount = 0;
    recordHeap = true;
    const std::string messages = setUpAssetsIn(dir.path());
    recordHeap = false;
    EXPECT_EQ(messages, "");
    ASSERT_LT(allocationCount, recordCapacity);
    ASSERT_TRUE(mainShader && depthShader && envMapShader);
    ASSERT_TRUE(spotLight && playerCamera && secondCamera);

    // Programs, light and cameras first, the environment program after them, then the models.
    std::vector<std::pair<std::string, long>> created = {
        {"main program", allocationIndex(mainShader.get())},
        {"depth program", allocationIndex(depthShader.get())},
        {"light", allocationIndex(spotLight.get())},
        {"player camera", allocationIndex(playerCamera.get())},
        {"second camera", allocationIndex(secondCamera.get())},
        {"environment program", allocationIndex(envMapShader.get())}};
    unsigned int lastTexture = 0;
    for (const ModelRow& row : modelTable) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(*row.owner);
        created.emplace_back(row.path, allocationIndex(row.owner->get()));
        EXPECT_EQ((*row.owner)->shader, mainShader.get());
        ASSERT_EQ((*row.owner)->meshes.size(), 1u);
        ASSERT_EQ((*row.owner)->meshes[0].textures.size(), 1u);
        // Its own texture of its own file's image, made after the models before it.
        const unsigned int texture = (*row.owner)->meshes[0].textures[0].id;
        EXPECT_EQ(fixture::readTexture(texture).at(0), colours.at(row.path));
        EXPECT_GT(texture, lastTexture);
        lastTexture = texture;
    }
    expectRising(created);
    // The shadow target comes last, complete.
    EXPECT_GT(shadowMapTexture, lastTexture);
    EXPECT_NE(shadowMapFbo, 0u);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));

    // The decode cache is closed at the end: a changed image is read afresh.
    const std::string image = dir.file("t0.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {1, 2, 3}));
    EXPECT_EQ(fixture::readTexture(textureFromFile(image.c_str(), "")).at(0), 1);

    // Release: the programs (deleted with their GL objects), the light, the player camera, every
    // model but the labyrinth and the collision shapes, the second camera, the collision shapes.
    const unsigned int programs[3] = {mainShader->programId, depthShader->programId,
                                      envMapShader->programId};
    std::vector<std::pair<std::string, const void*>> objects = {
        {"main program", mainShader.get()},
        {"depth program", depthShader.get()},
        {"environment program", envMapShader.get()},
        {"light", spotLight.get()},
        {"player camera", playerCamera.get()}};
    for (const ModelRow& row : modelTable) {
        if (row.owner != &labyrinthModel && row.owner != &collisionShapesModel) {
            objects.emplace_back(row.path, row.owner->get());
        }
    }
    objects.emplace_back("second camera", secondCamera.get());
    objects.emplace_back("collision shapes", collisionShapesModel.get());
    const void* labyrinth = labyrinthModel.get();
    freeCount = 0;
    recordHeap = true;
    releaseAssets();
    recordHeap = false;
    std::vector<std::pair<std::string, long>> freed;
    for (const auto& [name, object] : objects) {
        freed.emplace_back(name, freeIndex(object));
    }
    expectRising(freed);
    EXPECT_EQ(freeIndex(labyrinth), -1);
    EXPECT_EQ(labyrinthModel.get(), labyrinth);
    for (unsigned int program : programs) {
        EXPECT_FALSE(glIsProgram(program));
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
    for (const ModelRow& row : modelTable) {
        EXPECT_FALSE((*row.owner)->meshes.empty()) << row.path;
    }
}

}  // namespace
