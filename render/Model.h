#pragma once

#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "render/Mesh.h"

struct aiMaterial;
struct aiMesh;
struct aiNode;
struct aiScene;

// A sphere holding every vertex of a model, in the model's own coordinates (the frame its model
// matrix maps into the world). A model without vertices has radius 0 at the origin.
struct BoundingSphere {
    glm::vec3 centre{0.0f};
    float radius = 0.0f;
};

// True while the shadow pass draws: models then draw bare geometry without textures.
extern bool shadowPassActive;

// One OBJ file loaded through Assimp into meshes, with the textures its materials name. Never
// fails: an unreadable file is reported and leaves a model with no meshes.
class Model {
public:
    Model(const std::string& path, Shader* shader);

    // Draws every mesh; the caller has made a program current, set "tModel" and the options below.
    // Passes that know the program they made current say so, which spares asking the driver.
    void draw();
    void draw(unsigned int currentProgram);
    // Given the clip volume of the draw in this model's coordinates, each mesh leaves out the runs
    // of its triangles that cannot reach it.
    void draw(unsigned int currentProgram, const ClipVolume* clip);

    std::vector<Mesh> meshes;
    std::string directory;
    // This model's own texture cache; another model of the same file creates its own textures.
    std::vector<Texture> texturesLoaded;
    Shader* shader = nullptr;
    bool nearest = false;
    bool mipmapping = false;
    bool mipmapLinear = false;
    // Computed once at load from every mesh's vertices; the view-frustum test uses it.
    BoundingSphere bounds;

private:
    void loadModel(const std::string& path);
    void processNode(const aiNode* node, const aiScene* scene);
    Mesh processMesh(const aiMesh* mesh, const aiScene* scene);
    std::vector<Texture> loadMaterialTextures(const aiMaterial* material, int textureType,
                                              const std::string& typeName);
};
