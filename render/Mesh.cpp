#include "render/Mesh.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <string>
#include <utility>

#include "render/Assets.h"
#include "render/ClipCulling.h"
#include "render/Shader.h"
#include "render/Texture.h"

namespace {

// The sampling mode last applied to each texture through a mesh, by texture name, so a draw
// re-applies it only when the options changed (every draw of a frame asks for the same mode).
// Filled while meshes are made; a mesh made anew with a texture forgets what was known of it, in
// case the name was freed and reused.
constexpr unsigned char unknownMode = 0xff;
std::vector<unsigned char> appliedModes;

unsigned char modeBits(bool nearest, bool mipmapLinear, bool mipmapping) {
    return static_cast<unsigned char>((nearest ? 1 : 0) | (mipmapLinear ? 2 : 0) |
                                      (mipmapping ? 4 : 0));
}

void forgetAppliedModes(const std::vector<Texture>& textures) {
    for (const Texture& texture : textures) {
        if (texture.id >= appliedModes.size()) {
            appliedModes.resize(texture.id + 1, unknownMode);
        }
        appliedModes[texture.id] = unknownMode;
    }
}

// Applies the mode to the texture bound on the active unit unless it already has it.
void applySamplingModeOnce(unsigned int id, bool nearest, bool mipmapLinear, bool mipmapping) {
    const unsigned char mode = modeBits(nearest, mipmapLinear, mipmapping);
    if (id < appliedModes.size() && appliedModes[id] == mode) {
        return;
    }
    applySamplingMode(nearest, mipmapLinear, mipmapping);
    if (id < appliedModes.size()) {
        appliedModes[id] = mode;
    }
}

}  // namespace

Mesh::Mesh(std::vector<Vertex> vertexList, std::vector<unsigned int> indexList,
           std::vector<Texture> textureList, Shader* program)
    : vertices(std::move(vertexList)),
      indices(std::move(indexList)),
      textures(std::move(textureList)),
      shader(program) {
    clampIndices();
    resolveSamplers();
    forgetAppliedModes(textures);
    clusters = clusterMesh(vertices, indices);
    setupMesh();
}

void Mesh::clampIndices() {
    if (vertices.empty()) {
        indices.clear();
        return;
    }
    // The loader already drops faces that name missing vertices; this guards every other caller.
    const auto last = static_cast<unsigned int>(vertices.size() - 1);
    for (unsigned int& index : indices) {
        if (index > last) {
            index = last;
        }
    }
}

void Mesh::resolveSamplers() {
    samplerLocations.assign(textures.size(), -1);
    samplerNames.assign(textures.size(), std::string());
    unsigned int diffuse = 1;
    unsigned int specular = 1;
    for (size_t i = 0; i < textures.size(); ++i) {
        std::string number;
        if (textures[i].type == "texture_diffuse") {
            number = std::to_string(diffuse++);
        } else if (textures[i].type == "texture_specular") {
            number = std::to_string(specular++);
        }
        samplerNames[i] = textures[i].type + number;
        if (shader != nullptr) {
            samplerLocations[i] = glGetUniformLocation(shader->programId, samplerNames[i].c_str());
        }
    }
}

void Mesh::setupMesh() {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)), indices.data(),
                 GL_STATIC_DRAW);
    constexpr GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(Vertex, texCoords)));
    glBindVertexArray(0);
}

void Mesh::draw(bool mipmapLinear, bool nearest, bool mipmapping) {
    GLint currentProgram = 0;
    if (!textures.empty()) {
        glGetIntegerv(GL_CURRENT_PROGRAM, &currentProgram);
    }
    draw(mipmapLinear, nearest, mipmapping, static_cast<unsigned int>(currentProgram));
}

void Mesh::draw(bool mipmapLinear, bool nearest, bool mipmapping, unsigned int currentProgram,
                const ClipVolume* clip) {
    this->mipmapLinear = mipmapLinear;
    this->nearest = nearest;
    this->mipmapping = mipmapping;
    // A location belongs to one program. When another program is current (the reflection pass
    // draws models built for the main program), its own location of the sampler is used: the main
    // program's number could name an unrelated uniform there, a GL error on every draw.
    const bool ownProgram = shader != nullptr && currentProgram == shader->programId;
    for (size_t i = 0; i < textures.size(); ++i) {
        const auto unit = static_cast<GLint>(i);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        GLint location = -1;
        if (i < samplerLocations.size()) {
            location = ownProgram ? samplerLocations[i]
                                  : programUniformLocation(currentProgram, samplerNames[i].c_str());
        }
        glUniform1i(location, unit);
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            std::cout << error << "chainching texturesettings Mesh\n";
        }
        glBindTexture(GL_TEXTURE_2D, textures[i].id);
        applySamplingModeOnce(textures[i].id, this->nearest, this->mipmapLinear, this->mipmapping);
    }
    drawTriangles(clip);
    for (size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

namespace {

void drawRange(const TriangleCluster& first, const TriangleCluster& last, unsigned int lowest,
               unsigned int highest) {
    const unsigned int count = last.firstIndex + last.indexCount - first.firstIndex;
    glDrawRangeElements(GL_TRIANGLES, lowest, highest, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                        reinterpret_cast<const void*>(first.firstIndex * sizeof(unsigned int)));
}

}  // namespace

void Mesh::drawTriangles(const ClipVolume* clip) const {
    glBindVertexArray(vao);
    if (clip == nullptr || !clipCullingEnabled || clusters.empty()) {
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                       nullptr);
        glBindVertexArray(0);
        return;
    }
    // Clusters that may reach the volume and follow one another go out as one ranged draw, so
    // the triangles keep their order and a view of the whole mesh is still one draw.
    const TriangleCluster* runStart = nullptr;
    unsigned int lowest = 0;
    unsigned int highest = 0;
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        const TriangleCluster& cluster = clusters[i];
        if (sphereOutside(*clip, cluster.centre, cluster.radius)) {
            if (runStart != nullptr) {
                drawRange(*runStart, clusters[i - 1], lowest, highest);
                runStart = nullptr;
            }
            continue;
        }
        if (runStart == nullptr) {
            runStart = &cluster;
            lowest = cluster.lowestVertex;
            highest = cluster.highestVertex;
        } else {
            lowest = std::min(lowest, cluster.lowestVertex);
            highest = std::max(highest, cluster.highestVertex);
        }
    }
    if (runStart != nullptr) {
        drawRange(*runStart, clusters.back(), lowest, highest);
    }
    glBindVertexArray(0);
}
