// Meshes: the triangles a draw with a clip volume leaves out, the sampler naming and texture units
// of a draw, and the state a draw leaves behind. That steady draws allocate nothing is held against
// the real frames (scene_steady_frames).

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "render/ClipCulling.h"
#include "render/Mesh.h"
#include "render/Shader.h"
#include "render_fixtures.h"
#include "tools/gldebug/DebugContext.h"
#include "support/GlContext.h"

namespace {

using fixture::quadIndices;
using fixture::screenQuad;
using fixture::solidTexture;

// Draws into a small black target.
class MeshTest : public fixture::GlTest {
protected:
    // Pixel (2, 1), inside the upper right quarter where the test models lie.
    fixture::Rgb centre() const {
        const std::vector<unsigned char> pixels = target.picture();
        return {pixels[18], pixels[19], pixels[20]};
    }
    GLint sampler(GLuint program, const char* name) {
        return fixture::queried(glGetUniformiv, program, glGetUniformLocation(program, name));
    }

    fixture::Target target{4, 4};
};

TEST_F(MeshTest, SamplersAreNamedPerTypeUnitsCountFromZeroAndAreEmptiedAfterTheDraw) {
    const GLuint program = samplerShader().programId;
    const unsigned int blue = solidTexture(0, 0, 255);
    Mesh mesh(screenQuad(), quadIndices,
              {Texture{solidTexture(255, 0, 0), "texture_diffuse", {}},
               Texture{solidTexture(0, 255, 0), "texture_diffuse", {}},
               Texture{blue, "texture_specular", {}}},
              &samplerShader());
    glUseProgram(program);
    const char* names[3] = {"texture_diffuse1", "texture_diffuse2", "texture_specular1"};

    // A pending GL error is read, and so reported, by the first texture's check.
    {
        const ExpectedDebugMessages provoked;
        glEnable(0xFFFF);  // GL_INVALID_ENUM, 1280
        EXPECT_EQ(provoked.count(), 1);
    }
    EXPECT_EQ(fixture::stdoutOf([&] { mesh.draw(false, true, true); }),
              "1280chainching texturesettings Mesh\n");
    const fixture::Rgb seen = centre();
    EXPECT_EQ(seen.r + seen.g + seen.b, 3 * 255);
    for (GLint unit = 0; unit < 3; ++unit) {
        EXPECT_EQ(sampler(program, names[unit]), unit) << names[unit];
        glActiveTexture(GL_TEXTURE0 + unit);
        EXPECT_EQ(fixture::queried(glGetIntegerv, GL_TEXTURE_BINDING_2D), 0) << unit;
    }
    // The sampling options of the draw were applied to each texture; a texture shared with
    // another mesh takes each draw's options, whichever mesh drew it last.
    EXPECT_EQ(fixture::filtersOf(blue).first, GL_NEAREST_MIPMAP_NEAREST);
    Mesh(screenQuad(), quadIndices, {Texture{blue, "texture_specular", {}}}, &samplerShader())
        .draw(false, false, false);
    EXPECT_EQ(fixture::filtersOf(blue).first, GL_LINEAR);
    mesh.draw(false, true, true);
    EXPECT_EQ(fixture::filtersOf(blue).first, GL_NEAREST_MIPMAP_NEAREST);
}

TEST_F(MeshTest, EmptyOrBrokenIndexListsNeverDrawPastTheVertices) {
    // A red texture waits on unit 0, so any fragment drawn would show.
    glUseProgram(samplerShader().programId);
    glBindTexture(GL_TEXTURE_2D, solidTexture(255, 0, 0));
    Mesh(screenQuad(), {}, {}, &samplerShader()).draw(false, false, false);
    EXPECT_EQ(centre().r, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    // Indices naming missing vertices are pulled back to the last vertex before the upload.
    Mesh broken(screenQuad(), {0, 1, 2, 0, 2, 4000000000u}, {}, &samplerShader());
    unsigned int uploaded[6] = {};
    glBindVertexArray(broken.vao);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof uploaded, uploaded);
    glBindVertexArray(0);
    EXPECT_EQ(uploaded[5], 3u);
    EXPECT_TRUE(Mesh({}, {0, 1, 2}, {}, &samplerShader()).indices.empty());
}

}  // namespace

namespace {

// Primitives the draws made inside `draws` handed the driver.
template <typename Draws>
GLuint64 primitivesSubmitted(Draws draws) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_SUBMITTED_ARB, query);
    draws();
    glEndQuery(GL_PRIMITIVES_SUBMITTED_ARB);
    GLuint64 count = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

// Groups of 64 small triangles, one group beside the next at each x.
Mesh groupsAt(const std::vector<float>& xs, Shader& shader) {
    std::vector<Vertex> vertices;
    std::vector<unsigned int> indices;
    for (const float x : xs) {
        for (int t = 0; t < 64; ++t) {
            const float y = -1.0f + t / 32.0f;
            for (const glm::vec3& corner :
                 {glm::vec3(x, y, 0), glm::vec3(x + 0.5f, y, 0), glm::vec3(x, y + 0.03f, 0)}) {
                indices.push_back(static_cast<unsigned int>(vertices.size()));
                vertices.push_back({corner, {0, 0, 1}, {0, 0}, {0, 0}});
            }
        }
    }
    return Mesh(std::move(vertices), std::move(indices), {}, &shader);
}

}  // namespace

TEST_F(MeshTest, AClipVolumeLeavesOutOnlyGroupsWhollyOutsideIt) {
    ASSERT_TRUE(GLEW_ARB_pipeline_statistics_query);
    glUseProgram(samplerShader().programId);
    // x from 15 to 35 is inside; the group at 14.9 reaches into it, those at 10 and 40 do not.
    const glm::mat4 clipFromModel = glm::ortho(15.0f, 35.0f, -5.0f, 5.0f, -5.0f, 5.0f);
    const ClipVolume volume = clipVolumeOf(clipFromModel);
    const Mesh mesh = groupsAt({10.0f, 14.9f, 20.0f, 30.0f, 40.0f}, samplerShader());
    ASSERT_EQ(mesh.clusters.size(), 5u);
    EXPECT_EQ(primitivesSubmitted([&] { mesh.drawTriangles(nullptr); }), 320u);
    EXPECT_EQ(primitivesSubmitted([&] { mesh.drawTriangles(&volume); }), 192u);
    clipCullingEnabled = false;
    EXPECT_EQ(primitivesSubmitted([&] { mesh.drawTriangles(&volume); }), 320u);
    clipCullingEnabled = true;
    // Outside groups between inside ones, and a last group inside.
    const Mesh gaps = groupsAt({20.0f, 40.0f, 30.0f, 10.0f, 25.0f}, samplerShader());
    EXPECT_EQ(primitivesSubmitted([&] { gaps.drawTriangles(&volume); }), 192u);
    const Mesh away = groupsAt({40.0f, 45.0f, 50.0f}, samplerShader());
    EXPECT_EQ(primitivesSubmitted([&] { away.drawTriangles(&volume); }), 0u);
    // A volume of a degenerate matrix leaves nothing out.
    const ClipVolume flat = clipVolumeOf(glm::mat4(0.0f));
    EXPECT_EQ(primitivesSubmitted([&] { mesh.drawTriangles(&flat); }), 320u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
