// Model loading: node order, the per-model texture cache, import failures, files without normals or
// texture coordinates, materials with several maps and faces that name missing vertices.

#include <GL/glew.h>
#include <assimp/Exporter.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "render/Model.h"
#include "render/Shader.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

namespace {

// A mesh of `count` vertices along x at height y, with the given faces.
aiMesh* lineOfVertices(unsigned int count, float y, const std::vector<std::vector<unsigned>>& faces,
                       unsigned int material = 0) {
    auto* mesh = new aiMesh();
    mesh->mNumVertices = count;
    mesh->mVertices = new aiVector3D[count];
    for (unsigned int i = 0; i < count; ++i) {
        mesh->mVertices[i] = aiVector3D(static_cast<float>(i), y, 0.0f);
    }
    mesh->mNumFaces = static_cast<unsigned int>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (size_t f = 0; f < faces.size(); ++f) {
        aiFace& face = mesh->mFaces[f];
        face.mNumIndices = static_cast<unsigned int>(faces[f].size());
        face.mIndices = new unsigned int[faces[f].size()];
        for (size_t k = 0; k < faces[f].size(); ++k) {
            face.mIndices[k] = faces[f][k];
        }
        mesh->mPrimitiveTypes |= faces[f].size() == 1   ? aiPrimitiveType_POINT
                                 : faces[f].size() == 2 ? aiPrimitiveType_LINE
                                                        : aiPrimitiveType_TRIANGLE;
    }
    mesh->mMaterialIndex = material;
    return mesh;
}

aiNode* nodeWith(const char* name, std::vector<unsigned int> meshes,
                 std::vector<aiNode*> children = {}) {
    auto* node = new aiNode(name);
    node->mNumMeshes = static_cast<unsigned int>(meshes.size());
    node->mMeshes = new unsigned int[meshes.size()];
    for (size_t i = 0; i < meshes.size(); ++i) {
        node->mMeshes[i] = meshes[i];
    }
    if (!children.empty()) {
        node->addChildren(static_cast<unsigned int>(children.size()), children.data());
    }
    return node;
}

// Writes the scene in the library's own binary format, which keeps every detail we set.
std::string exportScene(aiScene& scene, const fixture::ScratchDir& dir, const char* name) {
    const std::string path = dir.file(name);
    Assimp::Exporter exporter;
    EXPECT_EQ(exporter.Export(&scene, "assbin", path), aiReturn_SUCCESS)
        << exporter.GetErrorString();
    return path;
}

std::unique_ptr<aiScene> sceneWith(std::vector<aiMesh*> meshes, aiNode* root,
                                   std::vector<aiMaterial*> materials = {}) {
    auto scene = std::make_unique<aiScene>();
    if (materials.empty()) {
        materials.push_back(new aiMaterial());
    }
    scene->mNumMeshes = static_cast<unsigned int>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    for (size_t i = 0; i < meshes.size(); ++i) {
        scene->mMeshes[i] = meshes[i];
    }
    scene->mNumMaterials = static_cast<unsigned int>(materials.size());
    scene->mMaterials = new aiMaterial*[materials.size()];
    for (size_t i = 0; i < materials.size(); ++i) {
        scene->mMaterials[i] = materials[i];
    }
    scene->mRootNode = root;
    return scene;
}

class ModelTest : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        const std::string vertex =
            dir.write("v", "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n");
        const std::string fragment =
            dir.write("f",
                      "#version 330 core\nout vec4 c;\nuniform sampler2D texture_diffuse1;\n"
                      "void main() { c = texture(texture_diffuse1, vec2(0.0)); }\n");
        shader = std::make_unique<Shader>(vertex, fragment);
        fixture::clearGlErrors();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    fixture::ScratchDir dir;
    std::unique_ptr<Shader> shader;
};

TEST_F(ModelTest, MeshesFollowNodePreOrderAndIgnoreNodeTransforms) {
    // Mesh sizes tell them apart: the root's own mesh has 3 vertices.
    std::vector<aiMesh*> meshes = {lineOfVertices(4, 0.0f, {{0, 1, 2}}),
                                   lineOfVertices(5, 0.0f, {{0, 1, 2}}),
                                   lineOfVertices(3, 0.0f, {{0, 1, 2}})};
    aiNode* grandchild = nodeWith("grandchild", {1});
    aiNode* first = nodeWith("first", {0}, {grandchild});
    first->mTransformation =
        aiMatrix4x4(aiVector3D(1.0f), aiQuaternion(), aiVector3D(10.0f, 0.0f, 0.0f));
    aiNode* second = nodeWith("second", {1, 0});
    auto scene = sceneWith(meshes, nodeWith("root", {2}, {first, second}));
    const std::string path = exportScene(*scene, dir, "tree.assbin");

    const Model model(path, shader.get());
    std::vector<size_t> sizes;
    for (const Mesh& mesh : model.meshes) {
        sizes.push_back(mesh.vertices.size());
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{3, 4, 5, 5, 4}));
    ASSERT_EQ(model.meshes.size(), 5u);
    EXPECT_EQ(model.meshes[1].vertices[1].position, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(model.directory, dir.path());
}

TEST_F(ModelTest, TextureCacheIsSharedWithinAModelOnly) {
    const std::string wood = dir.file("wood.bmp");
    const std::string stone = dir.file("stone.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(wood, 2, 2, {120, 80, 40}));
    ASSERT_TRUE(fixture::saveSolidImage(stone, 2, 2, {90, 90, 90}));
    dir.write("house.mtl", "newmtl a\nmap_Kd " + wood + "\nnewmtl b\nmap_Kd " + wood + "\nmap_Ks " +
                               stone + "\n");
    const std::string obj = dir.write("house.obj", fixture::quadObj("house.mtl", {"a", "b"}));

    const Model first(obj, shader.get());
    ASSERT_EQ(first.meshes.size(), 2u);
    ASSERT_EQ(first.meshes[0].textures.size(), 1u);
    ASSERT_EQ(first.meshes[1].textures.size(), 2u);
    EXPECT_EQ(first.meshes[0].textures[0].id, first.meshes[1].textures[0].id);
    EXPECT_NE(first.meshes[1].textures[0].id, first.meshes[1].textures[1].id);
    EXPECT_EQ(first.meshes[1].textures[1].type, "texture_specular");
    ASSERT_EQ(first.texturesLoaded.size(), 2u);
    EXPECT_STREQ(first.texturesLoaded[0].path.C_Str(), wood.c_str());
    EXPECT_STREQ(first.texturesLoaded[1].path.C_Str(), stone.c_str());

    const Model second(obj, shader.get());
    ASSERT_EQ(second.texturesLoaded.size(), 2u);
    EXPECT_NE(second.texturesLoaded[0].id, first.texturesLoaded[0].id);
    EXPECT_NE(second.texturesLoaded[1].id, first.texturesLoaded[1].id);
    EXPECT_TRUE(glIsTexture(second.texturesLoaded[0].id));
}

TEST_F(ModelTest, MissingFileGivesOneErrorLineAndAnEmptyModel) {
    fixture::StdoutCapture capture;
    const Model model(dir.file("Meshes/absent.obj"), shader.get());
    const std::string out = capture.text();
    EXPECT_EQ(out.rfind("ERROR::ASSIMP:: ", 0), 0u) << out;
    EXPECT_GT(out.size(), std::string("ERROR::ASSIMP:: \n").size()) << "names the reason";
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "exactly one line";
    EXPECT_TRUE(model.meshes.empty());
    EXPECT_TRUE(model.texturesLoaded.empty());
}

TEST_F(ModelTest, ObjWithoutNormalsOrTextureCoordinatesGetsZeros) {
    const std::string bare =
        dir.write("bare.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    const Model model(bare, shader.get());
    ASSERT_EQ(model.meshes.size(), 1u);
    const Mesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.indices.size(), 6u) << "the quad is triangulated";
    ASSERT_EQ(mesh.vertices.size(), 4u);
    for (const Vertex& vertex : mesh.vertices) {
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f));
        EXPECT_EQ(vertex.texCoords, glm::vec2(0.0f));
        EXPECT_EQ(vertex.reserved, glm::vec2(0.0f));
    }
    EXPECT_TRUE(mesh.textures.empty());

    // Texture coordinates are flipped vertically on import; normals are read as written.
    const std::string full = dir.write(
        "full.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.25\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
    const Model textured(full, shader.get());
    ASSERT_EQ(textured.meshes.size(), 1u);
    EXPECT_EQ(textured.meshes[0].vertices[0].texCoords, glm::vec2(0.25f, 0.75f));
    EXPECT_EQ(textured.meshes[0].vertices[0].normal, glm::vec3(0.0f, 0.0f, 1.0f));
}

TEST_F(ModelTest, MaterialWithSeveralMapsListsDiffuseBeforeSpecular) {
    auto* material = new aiMaterial();
    const aiString specular(dir.file("shine.bmp"));
    const aiString diffuseA(dir.file("a.bmp"));
    const aiString diffuseB(dir.file("b.bmp"));
    material->AddProperty(&specular, AI_MATKEY_TEXTURE_SPECULAR(0));
    material->AddProperty(&diffuseA, AI_MATKEY_TEXTURE_DIFFUSE(0));
    material->AddProperty(&diffuseB, AI_MATKEY_TEXTURE_DIFFUSE(1));
    auto scene =
        sceneWith({lineOfVertices(3, 0.0f, {{0, 1, 2}})}, nodeWith("root", {0}), {material});
    const std::string path = exportScene(*scene, dir, "maps.assbin");

    const Model model(path, shader.get());
    ASSERT_EQ(model.meshes.size(), 1u);
    const std::vector<Texture>& textures = model.meshes[0].textures;
    ASSERT_EQ(textures.size(), 3u);
    EXPECT_EQ(textures[0].type, "texture_diffuse");
    EXPECT_EQ(textures[1].type, "texture_diffuse");
    EXPECT_EQ(textures[2].type, "texture_specular");
    EXPECT_STREQ(textures[0].path.C_Str(), diffuseA.C_Str());
    EXPECT_STREQ(textures[1].path.C_Str(), diffuseB.C_Str());
    EXPECT_STREQ(textures[2].path.C_Str(), specular.C_Str());
    // Missing images still give three distinct (empty) textures.
    EXPECT_NE(textures[0].id, textures[1].id);
    EXPECT_NE(textures[1].id, textures[2].id);
}

TEST_F(ModelTest, FacesNamingMissingVerticesAreDroppedAndPointsAndLinesKept) {
    auto scene =
        sceneWith({lineOfVertices(3, 0.0f, {{0, 1, 2}, {0, 1, 7}, {2}, {1, 0}, {2, 1, 0}})},
                  nodeWith("root", {0}));
    const std::string path = exportScene(*scene, dir, "faces.assbin");

    const Model model(path, shader.get());
    ASSERT_EQ(model.meshes.size(), 1u);
    EXPECT_EQ(model.meshes[0].indices, (std::vector<unsigned int>{0, 1, 2, 2, 1, 0, 2, 1, 0}));
}

}  // namespace
