// Model loading: node order, the per-model texture cache, import failures, files without normals or
// texture coordinates, materials with several maps, faces that name missing vertices and the
// bounding sphere.

#include <GL/glew.h>
#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "render/Model.h"
#include "render/Shader.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

namespace {

// A mesh of `count` vertices along x, with the given faces.
aiMesh* lineOfVertices(unsigned int count,
                       const std::vector<std::vector<unsigned>>& faces = {{0, 1, 2}}) {
    auto* mesh = new aiMesh();
    mesh->mNumVertices = count;
    mesh->mVertices = new aiVector3D[count];
    for (unsigned int i = 0; i < count; ++i) {
        mesh->mVertices[i] = aiVector3D(static_cast<float>(i), 0.0f, 0.0f);
    }
    // No polygons, so the import's triangulation leaves the faces as they are.
    mesh->mPrimitiveTypes = aiPrimitiveType_POINT | aiPrimitiveType_LINE | aiPrimitiveType_TRIANGLE;
    mesh->mNumFaces = static_cast<unsigned int>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (size_t f = 0; f < faces.size(); ++f) {
        mesh->mFaces[f].mNumIndices = static_cast<unsigned int>(faces[f].size());
        mesh->mFaces[f].mIndices = new unsigned int[faces[f].size()];
        std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
    }
    return mesh;
}

aiNode* nodeWith(const char* name, std::vector<unsigned int> meshes,
                 std::vector<aiNode*> children = {}) {
    auto* node = new aiNode(name);
    node->mNumMeshes = static_cast<unsigned int>(meshes.size());
    node->mMeshes = new unsigned int[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), node->mMeshes);
    if (!children.empty()) {
        node->addChildren(static_cast<unsigned int>(children.size()), children.data());
    }
    return node;
}

// Writes a scene of the meshes under the root, with one material, in the library's own binary
// format, which keeps every detail we set.
std::string writeScene(const fixture::ScratchDir& dir, std::vector<aiMesh*> meshes, aiNode* root,
                       aiMaterial* material = new aiMaterial()) {
    aiScene scene;
    scene.mNumMeshes = static_cast<unsigned int>(meshes.size());
    scene.mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene.mMeshes);
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial* [1] { material };
    scene.mRootNode = root;
    const std::string path = dir.file("scene.assbin");
    Assimp::Exporter exporter;
    EXPECT_EQ(exporter.Export(&scene, "assbin", path), aiReturn_SUCCESS)
        << exporter.GetErrorString();
    return path;
}

using ModelTest = fixture::GlTest;

TEST_F(ModelTest, MeshesFollowNodePreOrderAndIgnoreNodeTransforms) {
    // Mesh sizes tell them apart: the root's own mesh has 3 vertices.
    aiNode* first = nodeWith("first", {0}, {nodeWith("grandchild", {1})});
    first->mTransformation =
        aiMatrix4x4(aiVector3D(1.0f), aiQuaternion(), aiVector3D(10.0f, 0.0f, 0.0f));
    const std::string path =
        writeScene(dir, {lineOfVertices(4), lineOfVertices(5), lineOfVertices(3)},
                   nodeWith("root", {2}, {first, nodeWith("second", {1, 0})}));

    const Model model(path, &samplerShader());
    std::vector<size_t> sizes;
    for (const Mesh& mesh : model.meshes) {
        sizes.push_back(mesh.vertices.size());
    }
    ASSERT_EQ(sizes, (std::vector<size_t>{3, 4, 5, 5, 4}));
    EXPECT_EQ(model.meshes[1].vertices[1].position, glm::vec3(1.0f, 0.0f, 0.0f));
}

TEST_F(ModelTest, TextureCacheIsSharedWithinAModelOnly) {
    // The images need not exist: the cache goes by the names.
    dir.write("house.mtl",
              "newmtl a\nmap_Kd wood.bmp\nnewmtl b\nmap_Kd wood.bmp\nmap_Ks stone.bmp\n");
    const std::string obj = dir.write("house.obj", fixture::quadObj("house.mtl", {"a", "b"}));

    const Model first(obj, &samplerShader());
    ASSERT_EQ(first.meshes.size(), 2u);
    ASSERT_EQ(first.meshes[1].textures.size(), 2u);
    EXPECT_EQ(first.meshes[0].textures[0].id, first.meshes[1].textures[0].id);
    EXPECT_NE(first.meshes[1].textures[0].id, first.meshes[1].textures[1].id);
    ASSERT_EQ(first.texturesLoaded.size(), 2u);

    const Model second(obj, &samplerShader());
    ASSERT_EQ(second.texturesLoaded.size(), 2u);
    EXPECT_NE(second.texturesLoaded[0].id, first.texturesLoaded[0].id);
    EXPECT_NE(second.texturesLoaded[1].id, first.texturesLoaded[1].id);
}

TEST_F(ModelTest, MissingFileGivesOneErrorLineAndAnEmptyModel) {
    std::unique_ptr<Model> model;
    const std::string out = fixture::stdoutOf(
        [&] { model = std::make_unique<Model>(dir.file("Meshes/absent.obj"), &samplerShader()); });
    EXPECT_EQ(out.rfind("ERROR::ASSIMP:: ", 0), 0u) << out;
    EXPECT_GT(out.size(), std::string("ERROR::ASSIMP:: \n").size()) << "names the reason";
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "exactly one line";
    EXPECT_TRUE(model->meshes.empty());
    EXPECT_EQ(model->bounds.radius, 0.0f);
}

// The number of meshes the installed importer reads from the model, in a child process of its
// own; -1 when the import fails, -2 when the importer crashes.
int importerMeshesInChild(const std::string& obj) {
    // The child answers with a status of its own (100 and up); a crash ends it by a signal or,
    // under the address sanitizer, which catches the fault, with the sanitizer's status.
    constexpr int answered = 100;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(obj, aiProcess_Triangulate | aiProcess_FlipUVs);
        _exit(scene == nullptr
                  ? answered
                  : answered + 1 + static_cast<int>(std::min(scene->mNumMeshes, 100u)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) < answered) {
        return -2;
    }
    return WEXITSTATUS(status) - answered - 1;
}

TEST_F(ModelTest, AMaterialLibraryIsRefusedExactlyWhenTheImporterWouldCrashOnIt) {
    // Statements before the library's first material, each tried on the installed importer in a
    // child process: the importer writes some of them into a material it never made. The game
    // refuses exactly those, and every other model loads as the importer loads it.
    struct Library {
        std::string text;
        // The library the model names; one that is not there falls back to the model's own name.
        const char* named = nullptr;
        // The model file saved with a UTF-8 byte-order mark.
        bool markedModel = false;
        // The text is the whole library, with no material after it.
        bool whole = false;
    };
    std::vector<Library> libraries;
    for (const char* text : {"a 0.5", "a", "a\t-inf", "a ,5", "a x", "a -", "aniso 0.5",
                             "anisor 0.5", "A 0.5", "Kd 1 1 1\nNs 10\nillum 2\nd 0.5"}) {
        libraries.push_back({text});
    }
    // Texture statements, with the keyword written in every way the importer may or may not read.
    for (const char* keyword : {"map_Kd", "mAP_ks", "map_d", "map_Pr", "map_Pc", "map_ao", "Map_Kd",
                                "bump", "bUMP", "Bump", "norm", "Norm"}) {
        libraries.push_back({keyword + std::string(" wood.bmp")});
    }
    for (const char* keyword : {"NORM", "disp", "Disp", "dISP", "refl -type sphere", "  map_Kd",
                                "Ne b\nmap_Kd", "# made by hand\rmap_Kd", "# made by hand\fmap_Kd",
                                "\xEF\xBB\xBFnewmtl b\nmap_Kd", "\xEF\xBB\xBFmap_Kd"}) {
        libraries.push_back({keyword + std::string(" wood.bmp")});
    }
    libraries.push_back({"bump stone.bmp", "absent.mtl"});
    libraries.push_back({"map_Kd wood.bmp", nullptr, true});
    // The importer fails on a library shorter than 8 bytes before reading it.
    for (const char* whole : {"a 1\n", "map_Kd\n", "map_Kd \n",
                              "\xEF\xBB\xBF"
                              "a 1\n"}) {
        libraries.push_back({whole, nullptr, false, true});
    }
    int crashes = 0;
    int index = 0;
    for (const Library& row : libraries) {
        const std::string name = "library" + std::to_string(index++);
        SCOPED_TRACE(name + ": " + row.text);
        const std::string library =
            dir.write(name + ".mtl", row.whole ? row.text : row.text + "\nnewmtl a\n");
        const std::string obj = dir.write(
            name + ".obj", (row.markedModel ? "\xEF\xBB\xBF" : "") +
                               fixture::quadObj(row.named ? row.named : name + ".mtl", {"a"}));
        const int importerMeshes = importerMeshesInChild(obj);
        crashes += importerMeshes == -2 ? 1 : 0;
        std::unique_ptr<Model> model;
        const std::string out =
            fixture::stdoutOf([&] { model = std::make_unique<Model>(obj, &samplerShader()); });
        if (importerMeshes == -2) {
            EXPECT_EQ(out, "ERROR::ASSIMP:: " + library +
                               " sets a texture or the anisotropy before its first material\n");
            EXPECT_EQ(model->meshes.size(), 0u);
        } else {
            EXPECT_EQ(out.find("before its first material"), std::string::npos) << out;
            EXPECT_EQ(static_cast<int>(model->meshes.size()), std::max(importerMeshes, 0));
        }
    }
    // The table holds both kinds.
    EXPECT_GT(crashes, 0);
    EXPECT_LT(crashes, index);
}

TEST_F(ModelTest, BoundingSphereHoldsTheVerticesOfEveryMesh) {
    // Two objects, two meshes: the box around both runs from (-1, 0, -2) to (5, 2, 0).
    const Model model(dir.write("two.obj",
                                "o a\nv -1 0 0\nv 1 0 0\nv 0 2 0\nf 1 2 3\n"
                                "o b\nv 5 0 0\nv 5 1 -2\nv 4 0 -2\nf 4 5 6\n"),
                      &samplerShader());
    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.bounds.centre, glm::vec3(2.0f, 1.0f, -1.0f));
    // The farthest corners from the centre: (-1, 0, 0) and (5, 0, 0), both sqrt(9 + 1 + 1).
    EXPECT_FLOAT_EQ(model.bounds.radius, std::sqrt(11.0f));
}

TEST_F(ModelTest, ObjWithoutNormalsOrTextureCoordinatesGetsZeros) {
    const Model bare(dir.write("bare.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n"),
                     &samplerShader());
    ASSERT_EQ(bare.meshes.size(), 1u);
    EXPECT_EQ(bare.meshes[0].indices.size(), 6u) << "the quad is triangulated";
    ASSERT_EQ(bare.meshes[0].vertices.size(), 4u);
    for (const Vertex& vertex : bare.meshes[0].vertices) {
        EXPECT_TRUE(vertex.normal == glm::vec3(0.0f) && vertex.texCoords == glm::vec2(0.0f));
    }
    // Texture coordinates are flipped vertically on import; normals are read as written.
    const Model full(dir.write("full.obj",
                               "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.25\nvn 0 0 1\n"
                               "f 1/1/1 2/1/1 3/1/1\n"),
                     &samplerShader());
    ASSERT_EQ(full.meshes.size(), 1u);
    EXPECT_EQ(full.meshes[0].vertices[0].texCoords, glm::vec2(0.25f, 0.75f));
    EXPECT_EQ(full.meshes[0].vertices[0].normal, glm::vec3(0.0f, 0.0f, 1.0f));
}

TEST_F(ModelTest, MaterialWithSeveralMapsListsDiffuseBeforeSpecular) {
    auto* material = new aiMaterial();
    const aiString paths[3] = {aiString(dir.file("a.bmp")), aiString(dir.file("b.bmp")),
                               aiString(dir.file("shine.bmp"))};
    material->AddProperty(&paths[2], AI_MATKEY_TEXTURE_SPECULAR(0));
    material->AddProperty(&paths[0], AI_MATKEY_TEXTURE_DIFFUSE(0));
    material->AddProperty(&paths[1], AI_MATKEY_TEXTURE_DIFFUSE(1));
    const Model model(writeScene(dir, {lineOfVertices(3)}, nodeWith("root", {0}), material),
                      &samplerShader());
    ASSERT_EQ(model.meshes.size(), 1u);
    const std::vector<Texture>& textures = model.meshes[0].textures;
    ASSERT_EQ(textures.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(textures[i].type, i < 2 ? "texture_diffuse" : "texture_specular") << i;
        EXPECT_STREQ(textures[i].path.C_Str(), paths[i].C_Str());
        // Missing images still give distinct (empty) textures.
        EXPECT_NE(textures[i].id, textures[(i + 1) % 3].id);
    }
}

TEST_F(ModelTest, FacesNamingMissingVerticesAreDroppedAndPointsAndLinesKept) {
    const Model model(
        writeScene(dir, {lineOfVertices(3, {{0, 1, 2}, {0, 1, 7}, {2}, {1, 0}, {2, 1, 0}})},
                   nodeWith("root", {0})),
        &samplerShader());
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].indices, (std::vector<unsigned int>{0, 1, 2, 2, 1, 0, 2, 1, 0}));
}

}  // namespace
