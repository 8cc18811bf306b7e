#pragma once

#include <string>
#include <vector>

#include <assimp/types.h>
#include <glm/glm.hpp>

class Shader;

// One entry of the vertex buffer: 40 bytes, attributes at locations 0, 1 and 2.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
    // Not bound to any attribute; keeps the 40-byte layout the shaders were written for.
    glm::vec2 reserved{0.0f};
};
static_assert(sizeof(Vertex) == 40, "the vertex layout is fixed at 40 bytes");

// One texture of a mesh's material, also the entry of a model's texture cache.
struct Texture {
    unsigned int id = 0;
    // "texture_diffuse" or "texture_specular".
    std::string type;
    // The file name exactly as the material gives it.
    aiString path;
};

// One drawable piece of a model: GPU buffers in one vertex array, its material's textures and the
// program whose sampler uniforms it sets. A plain value: copies share the GL names, and no GL
// object of a mesh is ever deleted (they end with the context).
class Mesh {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned int> indices,
         std::vector<Texture> textures, Shader* shader);

    // Draws with the textures bound to units 0, 1, ... and the given sampling options, under the
    // program the caller has made current (asked of the driver when not given).
    void draw(bool mipmapLinear, bool nearest, bool mipmapping);
    void draw(bool mipmapLinear, bool nearest, bool mipmapping, unsigned int currentProgram);

    unsigned int vao = 0;
    unsigned int vbo = 0;
    unsigned int ebo = 0;
    bool nearest = false;
    bool mipmapLinear = false;
    bool mipmapping = false;
    std::vector<Vertex> vertices;
    std::vector<unsigned int> indices;
    std::vector<Texture> textures;
    Shader* shader = nullptr;

private:
    void setupMesh();
    // Replaces indices that name no vertex, so neither the upload nor a draw reads past the
    // vertex buffer.
    void clampIndices();
    // Looks up the sampler uniform of every texture once, on the mesh's own program.
    void resolveSamplers();

    // Location of each texture's sampler uniform ("texture_diffuse1", ...), in texture order.
    std::vector<int> samplerLocations;
    // The sampler uniform names themselves, for a draw under another program.
    std::vector<std::string> samplerNames;
};
