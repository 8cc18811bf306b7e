// The generated data set as the game reads it: every model file the asset table names imports
// with the game's flags into meshes with normals and texture coordinates, every image a material
// names is a 24-bit picture FreeImage reads, the cube-map image is a real JPEG, nothing else lies
// in the data folders, and the texture coordinates are authored for the way the engine shows an
// image (flipped on import, uploaded bottom row first).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>

#include "render/Assets.h"

namespace {

const std::string kRunDir = VELMORA_RUN_DIR;

std::set<std::string> distinctModelFiles() {
    std::set<std::string> files;
    for (const ModelFile& row : modelFiles) {
        files.insert(row.path);
    }
    return files;
}

// Texture file names of every material of a scene, diffuse and specular.
std::set<std::string> materialImages(const aiScene* scene) {
    std::set<std::string> images;
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR}) {
            unsigned count = aiGetMaterialTextureCount(scene->mMaterials[m], type);
            for (unsigned i = 0; i < count; ++i) {
                aiString name;
                if (aiGetMaterialTexture(scene->mMaterials[m], type, i, &name) == AI_SUCCESS) {
                    images.insert(name.C_Str());
                }
            }
        }
    }
    return images;
}

// An image as the engine holds it: FreeImage's pixels, first scanline at the bottom.
class LoadedImage {
public:
    explicit LoadedImage(const std::string& path) {
        FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
        type = format;
        if (format != FIF_UNKNOWN) {
            bitmap = FreeImage_Load(format, path.c_str(), 0);
        }
    }
    ~LoadedImage() {
        if (bitmap != nullptr) {
            FreeImage_Unload(bitmap);
        }
    }
    LoadedImage(const LoadedImage&) = delete;
    LoadedImage& operator=(const LoadedImage&) = delete;

    // Samples like OpenGL with the image uploaded as the engine does: t = 0 is the first
    // scanline FreeImage stores.
    glm::vec3 sampleGl(float s, float t) const {
        unsigned w = FreeImage_GetWidth(bitmap);
        unsigned h = FreeImage_GetHeight(bitmap);
        unsigned x = std::min(w - 1, static_cast<unsigned>(std::max(0.0f, s) * w));
        unsigned y = std::min(h - 1, static_cast<unsigned>(std::max(0.0f, t) * h));
        RGBQUAD q{};
        FreeImage_GetPixelColor(bitmap, x, y, &q);
        return glm::vec3(q.rgbRed, q.rgbGreen, q.rgbBlue) / 255.0f;
    }

    FREE_IMAGE_FORMAT type = FIF_UNKNOWN;
    FIBITMAP* bitmap = nullptr;
};

}  // namespace

TEST(WorldFiles, EveryModelImportsWithNormalsAndTextureCoordinates) {
    // Drawn only by the environment-mapping pass, or never drawn at all.
    const std::set<std::string> mirrorDrawn = {"Meshes/cubeFCMobj.obj", "Meshes/Labyrinth.obj",
                                               "Meshes/test.obj", "Meshes/collisionshapes.obj",
                                               "Meshes/boxhiddenkeymirror.obj"};
    std::set<std::string> files = distinctModelFiles();
    EXPECT_EQ(files.size(), 36u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(kRunDir + "/" + file, aiProcess_Triangulate | aiProcess_FlipUVs);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        // The game rejects a scene whose flags are exactly "incomplete" or that has no root.
        EXPECT_NE(scene->mFlags, static_cast<unsigned>(AI_SCENE_FLAGS_INCOMPLETE));
        ASSERT_NE(scene->mRootNode, nullptr);
        ASSERT_GE(scene->mNumMeshes, 1u);
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            ASSERT_TRUE(mesh->HasNormals());
            ASSERT_TRUE(mesh->HasTextureCoords(0));
            EXPECT_GT(mesh->mNumFaces, 0u);
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                ASSERT_EQ(mesh->mFaces[f].mNumIndices, 3u);
            }
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D& n = mesh->mNormals[v];
                ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 2e-3f);
            }
            // One diffuse map per mesh keeps texture unit 1 free for the shadow map. Models the
            // environment-mapping pass draws name no image: that pass sets no sampler of its
            // own, and a mesh's texture set-up there raises a GL error.
            const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
            unsigned expected = mirrorDrawn.count(file) != 0 ? 0u : 1u;
            EXPECT_EQ(aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE), expected);
            EXPECT_EQ(aiGetMaterialTextureCount(material, aiTextureType_SPECULAR), 0u);
        }
    }
}

TEST(WorldFiles, MaterialImagesExistAsSquareTwentyFourBitPictures) {
    std::set<std::string> images;
    for (const std::string& file : distinctModelFiles()) {
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(kRunDir + "/" + file, aiProcess_Triangulate | aiProcess_FlipUVs);
        ASSERT_NE(scene, nullptr) << file;
        for (const std::string& image : materialImages(scene)) {
            images.insert(image);
        }
    }
    ASSERT_FALSE(images.empty());
    for (const std::string& image : images) {
        SCOPED_TRACE(image);
        // Opened by the unchanged name, relative to the game's working directory.
        EXPECT_EQ(image.rfind("Textures/", 0), 0u);
        LoadedImage loaded(kRunDir + "/" + image);
        ASSERT_NE(loaded.bitmap, nullptr);
        EXPECT_EQ(FreeImage_GetBPP(loaded.bitmap), 24u);
        EXPECT_EQ(FreeImage_GetColorType(loaded.bitmap), FIC_RGB);
        unsigned w = FreeImage_GetWidth(loaded.bitmap);
        EXPECT_EQ(w, FreeImage_GetHeight(loaded.bitmap));
        EXPECT_TRUE(w == 256u || w == 512u) << w;
    }
}

TEST(WorldFiles, CubeMapImageIsAJpegWithWholeThreeByteRows) {
    LoadedImage sky(kRunDir + "/Textures/newkeystuff.jpg");
    EXPECT_EQ(sky.type, FIF_JPEG);
    ASSERT_NE(sky.bitmap, nullptr);
    EXPECT_EQ(FreeImage_GetBPP(sky.bitmap), 24u);
    unsigned w = FreeImage_GetWidth(sky.bitmap);
    EXPECT_EQ(w, FreeImage_GetHeight(sky.bitmap));
    // The cube-map upload keeps OpenGL's 4-byte row alignment.
    EXPECT_EQ((w * 3) % 4, 0u);
    // Sky above, ground below (FreeImage's first scanline is the bottom row).
    glm::vec3 top = sky.sampleGl(0.5f, 0.98f);
    glm::vec3 bottom = sky.sampleGl(0.5f, 0.02f);
    EXPECT_GT(top.b, top.g);
    EXPECT_GT(bottom.g, bottom.b);
}

TEST(WorldFiles, DataFoldersHoldOnlyTheGeneratedSet) {
    std::set<std::string> expected;
    std::set<std::string> images = {"Textures/newkeystuff.jpg"};
    for (const std::string& file : distinctModelFiles()) {
        expected.insert(file);
        expected.insert(file.substr(0, file.size() - 4) + ".mtl");
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(kRunDir + "/" + file, aiProcess_Triangulate | aiProcess_FlipUVs);
        ASSERT_NE(scene, nullptr) << file;
        for (const std::string& image : materialImages(scene)) {
            images.insert(image);
        }
    }
    expected.insert(images.begin(), images.end());
    std::set<std::string> found;
    for (const char* folder : {"Meshes", "Textures"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kRunDir + "/" + folder)) {
            found.insert(std::string(folder) + "/" + entry.path().filename().string());
        }
    }
    EXPECT_EQ(found, expected);
}

TEST(WorldFiles, SolvedBoardShowsThePictureUprightFromThePinnedCamera) {
    // The pinned camera looks along -x: screen up is -x, screen right is -z. A tile's row on
    // screen is its cell's row, its column on screen is 2 minus its cell's column. Tile t lies in
    // cell solved[t] of the solved board.
    const int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
    const int solvedCellOfTile[8] = {2, 1, 0, 5, 4, 3, 8, 7};
    LoadedImage picture(kRunDir + "/Textures/picture.png");
    ASSERT_NE(picture.bitmap, nullptr);
    for (int t = 0; t < 8; ++t) {
        SCOPED_TRACE(t);
        Assimp::Importer importer;
        std::string path = kRunDir + "/Meshes/Level2_" + std::to_string(t + 1) + ".obj";
        const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
        ASSERT_NE(scene, nullptr);
        int screenRow = rowOf[solvedCellOfTile[t]];
        int screenColumn = 2 - columnOf[solvedCellOfTile[t]];
        int checked = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            aiString name;
            aiGetMaterialTexture(scene->mMaterials[mesh->mMaterialIndex], aiTextureType_DIFFUSE, 0,
                                 &name);
            if (std::string(name.C_Str()) != "Textures/picture.png") {
                continue;
            }
            // The top face (normals up): its centre is the tile's centre.
            glm::vec3 centre(0.0f);
            float corners = 0.0f;
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                if (mesh->mNormals[v].y > 0.9f) {
                    centre += glm::vec3(mesh->mVertices[v].x, 0.0f, mesh->mVertices[v].z);
                    corners += 1.0f;
                }
            }
            ASSERT_GT(corners, 0.0f);
            centre /= corners;
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                if (mesh->mNormals[v].y <= 0.9f) {
                    continue;
                }
                float dx = mesh->mVertices[v].x - centre.x;
                float dz = mesh->mVertices[v].z - centre.z;
                // Where this corner is in the whole picture as a person sees it: u from the
                // left, w from the top.
                float u = (screenColumn + 0.5f - dz / 0.25f) / 3.0f;
                float w = (screenRow + 0.5f + dx / 0.25f) / 3.0f;
                // The engine samples at s = u, and its t counts from the image's bottom row.
                EXPECT_NEAR(mesh->mTextureCoords[0][v].x, u, 1e-3f);
                EXPECT_NEAR(1.0f - mesh->mTextureCoords[0][v].y, w, 1e-3f);
                ++checked;
            }
        }
        EXPECT_GE(checked, 4);
    }
    // The picture itself has its sky at the top and its meadow at the bottom, as a file viewer
    // shows it: a tile in the top row of the solved board shows sky.
    glm::vec3 sky = picture.sampleGl(0.5f, 1.0f - 0.08f);
    glm::vec3 meadow = picture.sampleGl(0.5f, 0.08f);
    EXPECT_GT(sky.b, sky.g);
    EXPECT_GT(meadow.g, meadow.b);
}

TEST(WorldFiles, PlacesCarryTheColourOfThePieceThatBelongsOnThem) {
    LoadedImage palette(kRunDir + "/Textures/palette.png");
    ASSERT_NE(palette.bitmap, nullptr);
    // Colour of the palette-mapped faces of a model whose normals point up, as the engine samples
    // them (imported t counts from the bottom row).
    auto topColour = [&](const std::string& name) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(kRunDir + "/Meshes/" + name + ".obj",
                                                 aiProcess_Triangulate | aiProcess_FlipUVs);
        glm::vec3 sum(0.0f);
        float count = 0.0f;
        float topY = -1e30f;
        if (scene == nullptr) {
            return glm::vec3(-1.0f);
        }
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                topY = std::max(topY, mesh->mVertices[v].y);
            }
        }
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            aiString image;
            aiGetMaterialTexture(scene->mMaterials[mesh->mMaterialIndex], aiTextureType_DIFFUSE, 0,
                                 &image);
            if (std::string(image.C_Str()) != "Textures/palette.png") {
                continue;
            }
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                if (mesh->mNormals[v].y > 0.9f && mesh->mVertices[v].y > topY - 1e-3f) {
                    sum += palette.sampleGl(mesh->mTextureCoords[0][v].x,
                                            mesh->mTextureCoords[0][v].y);
                    count += 1.0f;
                }
            }
        }
        return count > 0.0f ? sum / count : glm::vec3(-1.0f);
    };
    const int placeOf[4] = {0, 3, 2, 1};
    std::vector<glm::vec3> pieceColours;
    for (int piece = 1; piece <= 3; ++piece) {
        SCOPED_TRACE(piece);
        glm::vec3 p = topColour("Level1_" + std::to_string(piece));
        glm::vec3 q = topColour("Level1_place" + std::to_string(placeOf[piece]));
        ASSERT_GE(p.r, 0.0f);
        ASSERT_GE(q.r, 0.0f);
        EXPECT_LT(glm::length(p - q), 0.08f);
        pieceColours.push_back(p);
    }
    // Three clearly different colours.
    EXPECT_GT(glm::length(pieceColours[0] - pieceColours[1]), 0.3f);
    EXPECT_GT(glm::length(pieceColours[0] - pieceColours[2]), 0.3f);
    EXPECT_GT(glm::length(pieceColours[1] - pieceColours[2]), 0.3f);
}
