#pragma once

#include <string>
#include <vector>

#include <assimp/types.h>
#include <glm/glm.hpp>

class Shader;
struct ClipVolume;

// One entry of the vertex buffer: 40 bytes, attributes at locations 0, 1 and 2.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
    // Not bound to any attribute; keeps the 40-byte layout the shaders were written for.
    glm::vec2 reserved{0.0f};
};
static_assert(sizeof(Vertex) == 40, "the vertex layout is fixed at 40 bytes");

// A run of consecutive triangles of a mesh, in index order, with a sphere around their vertices.
struct TriangleCluster {
    unsigned int firstIndex = 0;
    unsigned int indexCount = 0;
    // The lowest and highest vertex the run names, for a ranged draw.
    unsigned int lowestVertex = 0;
    unsigned int highestVertex = 0;
    glm::vec3 centre{0.0f};
    float radius = 0.0f;
};

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
    // Given the clip volume of the draw, the mesh leaves out its clusters that lie wholly outside
    // it (see render/ClipCulling.h).
    void draw(bool mipmapLinear, bool nearest, bool mipmapping, unsigned int currentProgram,
              const ClipVolume* clip = nullptr);
    // The triangle draw alone, with the vertex array bound and unbound around it: every triangle,
    // or, given a clip volume, those of the clusters that may reach it, in index order.
    void drawTriangles(const ClipVolume* clip) const;

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
    // Runs of triangles in index order with their spheres; one for a small mesh.
    std::vector<TriangleCluster> clusters;

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
