#include "render/Mesh.h"

#include <GL/glew.h>

#include <cstddef>
#include <iostream>
#include <string>
#include <utility>

#include "render/Assets.h"
#include "render/Shader.h"
#include "render/Texture.h"

Mesh::Mesh(std::vector<Vertex> vertexList, std::vector<unsigned int> indexList,
           std::vector<Texture> textureList, Shader* program)
    : vertices(std::move(vertexList)),
      indices(std::move(indexList)),
      textures(std::move(textureList)),
      shader(program) {
    clampIndices();
    resolveSamplers();
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
    this->mipmapLinear = mipmapLinear;
    this->nearest = nearest;
    this->mipmapping = mipmapping;
    // A location belongs to one program. When another program is current (the reflection pass
    // draws models built for the main program), its own location of the sampler is used: the main
    // program's number could name an unrelated uniform there, a GL error on every draw.
    GLint currentProgram = 0;
    if (!textures.empty()) {
        glGetIntegerv(GL_CURRENT_PROGRAM, &currentProgram);
    }
    const bool ownProgram =
        shader != nullptr && static_cast<GLuint>(currentProgram) == shader->programId;
    for (size_t i = 0; i < textures.size(); ++i) {
        const auto unit = static_cast<GLint>(i);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        GLint location = -1;
        if (i < samplerLocations.size()) {
            location = ownProgram ? samplerLocations[i]
                                  : programUniformLocation(static_cast<GLuint>(currentProgram),
                                                           samplerNames[i].c_str());
        }
        glUniform1i(location, unit);
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            std::cout << error << "chainching texturesettings Mesh\n";
        }
        glBindTexture(GL_TEXTURE_2D, textures[i].id);
        applySamplingMode(this->nearest, this->mipmapLinear, this->mipmapping);
    }
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    for (size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}
