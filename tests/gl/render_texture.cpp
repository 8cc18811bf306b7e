// Model textures (decoding to 24-bit colour, the decode cache, sampling modes), the cube map and
// sky box.

#include <GL/glew.h>
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "render/Cubemap.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "tools/gldebug/DebugContext.h"
#include "support/GlContext.h"

namespace {

using fixture::Rgb;

class TextureTest : public fixture::GlTest {
protected:
    unsigned int load(const std::string& name) {
        return textureFromFile(dir.file(name).c_str(), dir.path());
    }
};

// The colour of pixel (x, y), y counted from the top row, in the test images below.
Rgb pattern(int x, int y) {
    return {static_cast<unsigned char>(40 * (x % 5) + 10),
            static_cast<unsigned char>(60 * (y % 4) + 5),
            static_cast<unsigned char>(200 - 30 * (x % 5))};
}

// Writes the pattern as a PNG of 1 (grey: the red), 2 (grey and alpha), 3 or 4 (colour and alpha)
// channels.
void writePattern(const std::string& path, int channels, int width, int height) {
    std::vector<unsigned char> data;
    for (int i = 0; i < width * height; ++i) {
        const Rgb c = pattern(i % width, i / width);
        const unsigned char all[4][4] = {{c.r}, {c.r, 33}, {c.r, c.g, c.b}, {c.r, c.g, c.b, 77}};
        data.insert(data.end(), all[channels - 1], all[channels - 1] + channels);
    }
    ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, channels, data.data(), 0));
}

// The RGB rows a texture of such an image must hold, top row first unless bottomFirst: grey
// spread over the three colours, and alpha never leaking into them.
std::vector<unsigned char> seenRows(int channels, int width, int height, bool bottomFirst) {
    std::vector<unsigned char> rows;
    for (int i = 0; i < width * height; ++i) {
        const Rgb c = pattern(i % width, bottomFirst ? height - 1 - i / width : i / width);
        rows.insert(rows.end(), {c.r, channels < 3 ? c.r : c.g, channels < 3 ? c.r : c.b});
    }
    return rows;
}

TEST_F(TextureTest, ImagesOfEveryDepthBecomeMipMappedMirroredRgb8) {
    // Three pixels a row, so rows carry padding.
    for (int channels = 1; channels <= 4; ++channels) {
        writePattern(dir.file("c" + std::to_string(channels) + ".png"), channels, 3, 2);
    }
    // 16-bit grey, a sample type the 24-bit conversion cannot read directly; white at the right.
    FIBITMAP* grey = FreeImage_AllocateT(FIT_UINT16, 3, 1, 16);
    reinterpret_cast<WORD*>(FreeImage_GetScanLine(grey, 0))[2] = 40000;
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, grey, dir.file("deepgrey.png").c_str(), 0));
    FreeImage_Unload(grey);

    // The upload must not depend on the caller's unpack alignment, and must restore it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    for (const auto& [name, channels] : {std::pair{"c1.png", 1}, std::pair{"c2.png", 2},
                                         std::pair{"c3.png", 3}, std::pair{"c4.png", 4}}) {
        EXPECT_EQ(fixture::readTexture(load(name)), seenRows(channels, 3, 2, true)) << name;
    }
    // Scaled to the full 8-bit range.
    EXPECT_EQ(fixture::readTexture(load("deepgrey.png")).at(2 * 3), 255);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_UNPACK_ALIGNMENT), 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    glBindTexture(GL_TEXTURE_2D, load("c3.png"));
    EXPECT_EQ(fixture::queried(glGetTexLevelParameteriv, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 1)
        << "mip-maps are generated";
    glBindTexture(GL_TEXTURE_2D, 0);

    // A GL error pending before the upload is reported by the upload's check.
    {
        const ExpectedDebugMessages provoked;
        glEnable(0xFFFF);  // GL_INVALID_ENUM, 1280
        EXPECT_EQ(provoked.count(), 1);
    }
    EXPECT_EQ(fixture::stdoutOf([&] { load("c3.png"); }), "1280chainching texturesettings \n");
}

// An image one pixel wider than any we accept.
std::string writeOversized(const fixture::ScratchDir& dir) {
    const std::string path = dir.file("huge.png");
    const std::vector<unsigned char> row((maxImageSide + 1) * 3, 90);
    EXPECT_TRUE(stbi_write_png(path.c_str(), maxImageSide + 1, 1, 3, row.data(), 0));
    return path;
}

// The decode cache decodes each file once, but creates every texture; closed, it reads every load
// afresh. Formats we do not ship stay refused.
TEST_F(TextureTest, DecodeCacheDecodesOnceAndOnlyOurFormats) {
    const std::string path = dir.file("ours.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(path, 2, 2, {200, 0, 0}));
    beginImageDecodeCache();
    const unsigned int first = load("ours.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(path, 2, 2, {0, 200, 0}));
    const unsigned int second = load("ours.bmp");
    EXPECT_NE(first, second);
    EXPECT_EQ(fixture::readTexture(second).at(0), 200);
    endImageDecodeCache();
    EXPECT_EQ(fixture::readTexture(load("ours.bmp")).at(1), 200);
    ASSERT_TRUE(fixture::saveSolidImage(path, 2, 2, {0, 0, 200}));
    EXPECT_EQ(fixture::readTexture(load("ours.bmp")).at(2), 200);
    dir.write("theirs.ppm", "P3\n1 1\n255\n255 0 0\n");
    EXPECT_TRUE(fixture::readTexture(load("theirs.ppm")).empty());
    fixture::clearGlErrors();
}

TEST_F(TextureTest, SamplingModesSetTheSixFilterPairs) {
    // Mip-mapping, linear between levels, nearest texel; then the minifying and magnifying
    // filters. Without mip-mapping the choice between levels must not matter.
    const GLint rows[6][5] = {
        {0, 1, 0, GL_LINEAR, GL_LINEAR},
        {0, 0, 1, GL_NEAREST, GL_NEAREST},
        {1, 1, 0, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {1, 1, 1, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {1, 0, 0, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {1, 0, 1, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
    };
    const GLuint id = fixture::solidTexture(0, 0, 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[0] << row[1] << row[2]);
        glBindTexture(GL_TEXTURE_2D, id);
        applySamplingMode(row[2] != 0, row[1] != 0, row[0] != 0);
        EXPECT_EQ(fixture::filtersOf(id), std::make_pair(row[3], row[4]));
    }
    glDeleteTextures(1, &id);
}

TEST_F(TextureTest, SkyBoxFacesOfAnyChannelCountAndWidthUploadIntactOnUnitZero) {
    const int channels[4] = {1, 2, 3, 4};
    const int sizes[4] = {5, 3, 5, 7};
    std::vector<std::string> paths;
    for (int f = 0; f < 4; ++f) {
        paths.push_back(dir.file("face" + std::to_string(f) + ".png"));
        writePattern(paths.back(), channels[f], sizes[f], sizes[f]);
    }
    // The last two faces fail: an image too large, and a format we do not ship, which never
    // reaches the decoder. Only the failures are reported, each under its path.
    paths.push_back(writeOversized(dir));
    paths.push_back(dir.write("face.ppm", "P6\n2 2\n255\n" + std::string(12, '\x40')));
    const std::string line = "Cubemap texture failed to load at path: ";
    // The sky box's cube map: the reflection pass that follows samples it from unit 0, whichever
    // unit was active.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glActiveTexture(GL_TEXTURE3);
    EXPECT_EQ(fixture::stdoutOf([&] { drawSkybox(paths); }),
              line + paths[4] + "\n" + line + paths[5] + "\n");
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_UNPACK_ALIGNMENT), 2) << "the caller's is kept";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(fixture::queried(glGetIntegerv, GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    ASSERT_NE(fixture::queried(glGetIntegerv, GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int f = 0; f < 4; ++f) {
        // Read back in the order the faces were uploaded in, top row first.
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f);
        std::vector<unsigned char> pixels(static_cast<size_t>(sizes[f] * sizes[f] * 3));
        glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        EXPECT_EQ(pixels, seenRows(channels[f], sizes[f], sizes[f], false)) << f;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Without it the faces would need mip-maps, and would sample black.
    EXPECT_EQ(fixture::queried(glGetTexParameteriv, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER),
              GL_LINEAR);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

}  // namespace
