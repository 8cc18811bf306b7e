#include "render/Cubemap.h"

#include <GL/glew.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "camera/Camera.h"
#include "render/Texture.h"

namespace {

// A cube of side 2 around the origin, two triangles a face: position, then texture coordinates.
// clang-format off
constexpr float skyboxVertices[36 * 5] = {
    // +X
    1, -1, -1, 0, 0, 1, -1, 1, 1, 0, 1, 1, 1, 1, 1,
    1, -1, -1, 0, 0, 1, 1, 1, 1, 1, 1, 1, -1, 0, 1,
    // -X
    -1, -1, 1, 0, 0, -1, -1, -1, 1, 0, -1, 1, -1, 1, 1,
    -1, -1, 1, 0, 0, -1, 1, -1, 1, 1, -1, 1, 1, 0, 1,
    // +Y
    -1, 1, -1, 0, 0, 1, 1, -1, 1, 0, 1, 1, 1, 1, 1,
    -1, 1, -1, 0, 0, 1, 1, 1, 1, 1, -1, 1, 1, 0, 1,
    // -Y
    -1, -1, 1, 0, 0, 1, -1, 1, 1, 0, 1, -1, -1, 1, 1,
    -1, -1, 1, 0, 0, 1, -1, -1, 1, 1, -1, -1, -1, 0, 1,
    // +Z
    1, -1, 1, 0, 0, -1, -1, 1, 1, 0, -1, 1, 1, 1, 1,
    1, -1, 1, 0, 0, -1, 1, 1, 1, 1, 1, 1, 1, 0, 1,
    // -Z
    -1, -1, -1, 0, 0, 1, -1, -1, 1, 0, 1, 1, -1, 1, 1,
    -1, -1, -1, 0, 0, 1, 1, -1, 1, 1, -1, 1, -1, 0, 1,
};
// clang-format on

// True when the file starts like one of the formats we ship images in (JPEG, PNG, BMP). The
// decoder would otherwise try each of its parsers, most of which no data of ours ever needs, on
// whatever bytes lie under the face's name. Leaves the file at its start.
bool hasAcceptedSignature(std::FILE* file) {
    unsigned char head[8] = {};
    const size_t length = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    const unsigned char jpeg[3] = {0xFF, 0xD8, 0xFF};
    const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const unsigned char bmp[2] = {'B', 'M'};
    const auto startsWith = [&](const unsigned char* signature, size_t size) {
        return length >= size && std::memcmp(head, signature, size) == 0;
    };
    return startsWith(jpeg, sizeof jpeg) || startsWith(png, sizeof png) ||
           startsWith(bmp, sizeof bmp);
}

// Decodes one face as tightly packed RGB, whatever the file's own channel count, or returns null.
// The header is read first, so an oversized image is refused before its pixels are decoded.
unsigned char* decodeFace(const std::string& path, int& width, int& height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    int channels = 0;
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &driverLimit);
    const int limit = std::min(maxImageSide, driverLimit);
    unsigned char* data = nullptr;
    if (hasAcceptedSignature(file) && stbi_info_from_file(file, &width, &height, &channels) != 0 &&
        width > 0 && height > 0 && width <= limit && height <= limit) {
        data = stbi_load_from_file(file, &width, &height, &channels, 3);
    }
    std::fclose(file);
    return data;
}

}  // namespace

unsigned int loadCubemap(std::vector<std::string> faces) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);

    // The faces usually name one image six times: decode it once and upload it to every face.
    std::string decodedPath;
    bool decoded = false;
    unsigned char* data = nullptr;
    int width = 0;
    int height = 0;
    // A cube map has six faces; further entries would name no target.
    const size_t faceCount = std::min<size_t>(faces.size(), 6);
    for (size_t i = 0; i < faceCount; ++i) {
        if (!decoded || faces[i] != decodedPath) {
            stbi_image_free(data);
            data = decodeFace(faces[i], width, height);
            decodedPath = faces[i];
            decoded = true;
        }
        if (data == nullptr) {
            std::cout << "Cubemap texture failed to load at path: " << faces[i] << std::endl;
            continue;
        }
        // Rows of 3-byte pixels are tightly packed, whatever their length.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGB, width,
                     height, 0, GL_RGB, GL_UNSIGNED_BYTE, data);
        glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    }
    stbi_image_free(data);

    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    return id;
}

void drawSkybox(std::vector<std::string> faces) {
    if (secondCamera) {
        secondCamera->position = glm::vec3(-2.0f, 7.75f, -1.0f);
    }
    GLuint vao = 0;
    GLuint vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof skyboxVertices, skyboxVertices, GL_STATIC_DRAW);
    constexpr GLsizei stride = 5 * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));

    const GLuint cubemap = loadCubemap(std::move(faces));

    glBindVertexArray(vao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    glBindVertexArray(0);
}
