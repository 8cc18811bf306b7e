// Meshes: the vertex layout the shaders read, the sampler naming and texture units of a draw, the
// state a draw leaves behind, and draws that allocate nothing once everything is loaded.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "render/Mesh.h"
#include "render/Model.h"
#include "render/Shader.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

// Counts heap allocations while armed, to prove the steady-state draws make none. Every plain and
// array form is replaced, so whatever any library allocates is released by the matching free; the
// compiler cannot see that pairing through inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
bool countAllocations = false;
int allocations = 0;

void* allocate(std::size_t size) noexcept {
    if (countAllocations) {
        ++allocations;
    }
    return std::malloc(size == 0 ? 1 : size);
}
void* allocateOrThrow(std::size_t size) {
    if (void* memory = allocate(size)) {
        return memory;
    }
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace {

// Draws every fragment with the red of the first diffuse map, the green of the second and the
// blue of the first specular map.
const char* const samplerVertex =
    "#version 330 core\nlayout(location = 0) in vec3 aPos;\n"
    "void main() { gl_Position = vec4(aPos, 1.0); }\n";
const char* const samplerFragment =
    "#version 330 core\nout vec4 color;\n"
    "uniform sampler2D texture_diffuse1;\nuniform sampler2D texture_diffuse2;\n"
    "uniform sampler2D texture_specular1;\n"
    "void main() {\n"
    "  color = vec4(texture(texture_diffuse1, vec2(0.5)).r, texture(texture_diffuse2, "
    "vec2(0.5)).g, texture(texture_specular1, vec2(0.5)).b, 1.0);\n"
    "}\n";

// A small colour target, bound while the object lives.
class Target {
public:
    Target() {
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 4, 4);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
        glViewport(0, 0, 4, 4);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(1, &colour_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    fixture::Rgb centre() const {
        unsigned char pixels[4 * 4 * 3] = {};
        readPixelsRgb(4, 4, pixels);
        const int at = (2 * 4 + 2) * 3;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

private:
    GLuint fbo_ = 0;
    GLuint colour_ = 0;
};

unsigned int solidTexture(unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char texel[4] = {r, g, b, 255};
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

Texture textureOf(unsigned int id, const char* type) {
    Texture texture;
    texture.id = id;
    texture.type = type;
    texture.path = aiString(std::string("t") + std::to_string(id));
    return texture;
}

// Two triangles covering the whole viewport.
std::vector<Vertex> screenQuad() {
    std::vector<Vertex> vertices(4);
    vertices[0].position = {-1.0f, -1.0f, 0.0f};
    vertices[1].position = {1.0f, -1.0f, 0.0f};
    vertices[2].position = {1.0f, 1.0f, 0.0f};
    vertices[3].position = {-1.0f, 1.0f, 0.0f};
    return vertices;
}
const std::vector<unsigned int> quadIndices = {0, 1, 2, 0, 2, 3};

class MeshTest : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        const std::string vertex = dir.write("v", samplerVertex);
        const std::string fragment = dir.write("f", samplerFragment);
        shader = std::make_unique<Shader>(vertex, fragment);
        fixture::clearGlErrors();
    }
    void TearDown() override {
        glUseProgram(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    GLint boundTexture(int unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return bound;
    }

    fixture::ScratchDir dir;
    std::unique_ptr<Shader> shader;
};

TEST_F(MeshTest, VertexLayoutIsFortyBytesWithAttributesZeroOneTwo) {
    std::vector<Vertex> vertices(3);
    vertices[1].normal = {0.0f, 0.0f, 1.0f};
    vertices[2].texCoords = {0.5f, 0.25f};
    Mesh mesh(vertices, {0, 1, 2}, {}, shader.get());
    glBindVertexArray(mesh.vao);

    const GLint sizes[3] = {3, 3, 2};
    const GLint offsets[3] = {0, 12, 24};
    for (GLuint attribute = 0; attribute < 3; ++attribute) {
        GLint value = 0;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, GL_TRUE) << attribute;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
        EXPECT_EQ(value, sizes[attribute]) << attribute;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
        EXPECT_EQ(value, 40) << attribute;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_TYPE, &value);
        EXPECT_EQ(value, GL_FLOAT) << attribute;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &value);
        EXPECT_EQ(value, GL_FALSE) << attribute;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
        EXPECT_EQ(static_cast<GLuint>(value), mesh.vbo) << attribute;
        void* offset = nullptr;
        glGetVertexAttribPointerv(attribute, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset),
                  static_cast<std::uintptr_t>(offsets[attribute]))
            << attribute;
    }
    GLint enabled = GL_TRUE;
    glGetVertexAttribiv(3, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, GL_FALSE) << "the reserved floats feed no attribute";

    // The index buffer is recorded in the vertex array and both buffers hold the CPU copies.
    GLint elementBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    EXPECT_EQ(static_cast<GLuint>(elementBuffer), mesh.ebo);
    GLint size = 0;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 12);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 120);
    float stored[30] = {};
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof stored, stored);
    EXPECT_EQ(stored[10 + 5], 1.0f);
    EXPECT_EQ(stored[20 + 6], 0.5f);
    EXPECT_EQ(stored[20 + 7], 0.25f);
    glBindVertexArray(0);
}

TEST_F(MeshTest, SamplersAreNamedPerTypeAndUnitsCountFromZero) {
    const unsigned int red = solidTexture(255, 0, 0);
    const unsigned int green = solidTexture(0, 255, 0);
    const unsigned int blue = solidTexture(0, 0, 255);
    Mesh mesh(screenQuad(), quadIndices,
              {textureOf(red, "texture_diffuse"), textureOf(green, "texture_diffuse"),
               textureOf(blue, "texture_specular")},
              shader.get());
    glUseProgram(shader->programId);
    // Start from values the draw must overwrite.
    const char* names[3] = {"texture_diffuse1", "texture_diffuse2", "texture_specular1"};
    for (const char* name : names) {
        glUniform1i(glGetUniformLocation(shader->programId, name), 7);
    }

    Target target;
    // A pending GL error is read, and so reported, by the first texture's check.
    fixture::StdoutCapture capture;
    glEnable(0xFFFF);  // GL_INVALID_ENUM, 1280
    mesh.draw(true, true, true);
    EXPECT_EQ(capture.text(), "1280chainching texturesettings Mesh\n");
    const fixture::Rgb seen = target.centre();
    EXPECT_EQ(seen.r, 255);
    EXPECT_EQ(seen.g, 255);
    EXPECT_EQ(seen.b, 255);
    for (GLint unit = 0; unit < 3; ++unit) {
        GLint value = -1;
        glGetUniformiv(shader->programId, glGetUniformLocation(shader->programId, names[unit]),
                       &value);
        EXPECT_EQ(value, unit) << names[unit];
    }
    EXPECT_TRUE(mesh.mipmapLinear && mesh.nearest && mesh.mipmapping);

    // Every unit the mesh used is left empty, and the last one stays active.
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE2);
    for (int unit = 0; unit < 3; ++unit) {
        EXPECT_EQ(boundTexture(unit), 0) << unit;
    }
    // The sampling options of the draw were applied to each texture.
    glBindTexture(GL_TEXTURE_2D, blue);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST_MIPMAP_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(MeshTest, UnderAnotherProgramTheSamplerIsThatProgramsOwn) {
    // Uniforms in another order than the mesh's program, so the numbers differ.
    const std::string vertex = dir.write("v2", samplerVertex);
    const std::string fragment = dir.write(
        "f2",
        "#version 330 core\nout vec4 color;\nuniform vec3 lightPos;\nuniform vec3 viewPos;\n"
        "uniform sampler2D texture_diffuse1;\n"
        "void main() { color = vec4(texture(texture_diffuse1, vec2(0.5)).rgb + lightPos * viewPos, "
        "1.0); }\n");
    Shader other(vertex, fragment);
    const std::string plain = dir.write(
        "f3", "#version 330 core\nout vec4 color;\nuniform vec3 lightPos;\n"
              "void main() { color = vec4(lightPos, 1.0); }\n");
    Shader withoutSampler(vertex, plain);
    const unsigned int red = solidTexture(255, 0, 0);
    Mesh mesh(screenQuad(), quadIndices, {textureOf(red, "texture_diffuse")}, shader.get());

    Target target;
    fixture::StdoutCapture capture;
    glUseProgram(other.programId);
    const GLint sampler = glGetUniformLocation(other.programId, "texture_diffuse1");
    glUniform1i(sampler, 5);
    mesh.draw(false, false, false);
    GLint value = -1;
    glGetUniformiv(other.programId, sampler, &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(target.centre().r, 255);
    glUseProgram(withoutSampler.programId);
    mesh.draw(false, false, false);
    EXPECT_EQ(capture.text(), "") << "no GL error on either program";
}

TEST_F(MeshTest, EmptyOrBrokenIndexListsNeverDrawPastTheVertices) {
    glUseProgram(shader->programId);
    GLuint query = 0;
    glGenQueries(1, &query);
    Target target;

    Mesh empty(screenQuad(), {}, {}, shader.get());
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    empty.draw(false, false, false);
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 99;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    EXPECT_EQ(primitives, 0u);
    EXPECT_EQ(target.centre().r, 0);

    // Indices naming missing vertices are pulled back to the last vertex before the upload.
    Mesh broken(screenQuad(), {0, 1, 2, 0, 2, 4000000000u}, {}, shader.get());
    ASSERT_EQ(broken.indices.size(), 6u);
    EXPECT_EQ(broken.indices[5], 3u);
    unsigned int uploaded[6] = {};
    glBindVertexArray(broken.vao);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof uploaded, uploaded);
    glBindVertexArray(0);
    EXPECT_EQ(uploaded[5], 3u);

    Mesh noVertices({}, {0, 1, 2}, {}, shader.get());
    EXPECT_TRUE(noVertices.indices.empty());
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    noVertices.draw(false, false, false);
    glEndQuery(GL_PRIMITIVES_GENERATED);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    EXPECT_EQ(primitives, 0u);
    glDeleteQueries(1, &query);
}

TEST_F(MeshTest, SteadyStateDrawsDoNotAllocate) {
    const std::string image = dir.file("wood.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 4, 4, {200, 120, 40}));
    dir.write("crate.mtl", "newmtl wood\nmap_Kd " + image + "\nmap_Ks " + image + "\n");
    const std::string obj = dir.write("crate.obj", fixture::quadObj("crate.mtl", {"wood", "wood"}));
    Model model(obj, shader.get());
    ASSERT_EQ(model.meshes.size(), 2u);
    ASSERT_EQ(model.meshes[0].textures.size(), 2u);
    glUseProgram(shader->programId);
    Target target;
    const auto frames = [&model] {
        for (int frame = 0; frame < 3; ++frame) {
            model.nearest = frame % 2 == 0;
            model.mipmapping = frame == 1;
            model.draw();
            shadowPassActive = true;
            model.draw();
            shadowPassActive = false;
        }
    };
    // The software driver builds and caches code for each new sampling state on first use.
    frames();
    glFinish();

    allocations = 0;
    countAllocations = true;
    frames();
    countAllocations = false;
    glFinish();
    EXPECT_EQ(allocations, 0);
}

TEST_F(MeshTest, ShadowPassDrawsBareGeometry) {
    const unsigned int red = solidTexture(255, 0, 0);
    const std::string image = dir.file("wood.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(image, 2, 2, {10, 20, 30}));
    dir.write("crate.mtl", "newmtl wood\nmap_Kd " + image + "\n");
    const std::string obj = dir.write("crate.obj", fixture::quadObj("crate.mtl", {"wood"}));
    Model model(obj, shader.get());
    ASSERT_EQ(model.meshes.size(), 1u);
    glUseProgram(shader->programId);
    const GLint diffuse = glGetUniformLocation(shader->programId, "texture_diffuse1");
    glUniform1i(diffuse, 3);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, red);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);

    Target target;
    model.nearest = true;
    shadowPassActive = true;
    model.draw();
    shadowPassActive = false;
    EXPECT_EQ(target.centre().r, 255) << "the geometry is drawn";
    GLint value = -1;
    glGetUniformiv(shader->programId, diffuse, &value);
    EXPECT_EQ(value, 3) << "no sampler is set";
    EXPECT_EQ(boundTexture(0), 0) << "no texture is bound";
    EXPECT_FALSE(model.meshes[0].nearest) << "no sampling option reaches the mesh";
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace
