// Model textures (decoding, conversion to 24-bit colour, guards, the decode cache, sampling modes),
// the cube map and sky box, and the shadow-map target.

#include <GL/glew.h>
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "render/Cubemap.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

namespace {

using fixture::Rgb;

class TextureTest : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        fixture::clearGlErrors();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    // Loads the file and returns its level 0 as RGB triples, bottom row first.
    std::vector<unsigned char> load(const std::string& path, int& width, int& height) {
        const unsigned int id = textureFromFile(path.c_str(), dir.path());
        EXPECT_NE(id, 0u);
        return fixture::readTexture(id, width, height);
    }

    fixture::ScratchDir dir;
};

// The colour of pixel (x, y), y counted from the top row, in the test images below.
Rgb pattern(int x, int y) {
    return {static_cast<unsigned char>(40 * x + 10), static_cast<unsigned char>(60 * y + 5),
            static_cast<unsigned char>(200 - 30 * x)};
}

// Checks that level 0, read bottom row first, holds `expected(x, y)` with y counted from the top.
template <typename Expected>
void expectImage(const std::vector<unsigned char>& pixels, int width, int height,
                 Expected expected) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = (static_cast<size_t>(height - 1 - y) * width + x) * 3;
            const Rgb want = expected(x, y);
            EXPECT_EQ(pixels[at], want.r) << x << "," << y;
            EXPECT_EQ(pixels[at + 1], want.g) << x << "," << y;
            EXPECT_EQ(pixels[at + 2], want.b) << x << "," << y;
        }
    }
}

TEST_F(TextureTest, ColourImageBecomesMipMappedMirroredRgb8WithRowsBottomFirst) {
    // Three pixels a row, so rows carry padding.
    const std::string path = dir.file("Textures/colours.png");
    std::filesystem::create_directories(dir.file("Textures"));
    ASSERT_TRUE(fixture::saveRgbImage(path, FIF_PNG, 3, 2, pattern));
    int width = 0;
    int height = 0;
    const unsigned int id = textureFromFile(path.c_str(), dir.file("Meshes"));
    const std::vector<unsigned char> pixels = fixture::readTexture(id, width, height);
    ASSERT_EQ(width, 3);
    ASSERT_EQ(height, 2);
    expectImage(pixels, width, height, pattern);

    glBindTexture(GL_TEXTURE_2D, id);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GL_RGB8);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 1) << "mip-maps are generated";
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        glGetTexParameteriv(GL_TEXTURE_2D, wrap, &value);
        EXPECT_EQ(value, GL_MIRRORED_REPEAT);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

// Saves a 3 x 2 image of the given sample type and depth; fill(pixel, x, y) writes each pixel, y
// counted from the top row. A colour palette holds the pattern's six colours.
template <typename Fill>
void saveSmall(const std::string& path, FREE_IMAGE_FORMAT format, FREE_IMAGE_TYPE type, int bpp,
               Fill fill, bool colourPalette = false) {
    FIBITMAP* image = FreeImage_AllocateT(type, 3, 2, bpp);
    for (int i = 0; colourPalette && i < 6; ++i) {
        const Rgb c = pattern(i % 3, i / 3);
        RGBQUAD& entry = FreeImage_GetPalette(image)[i];
        entry.rgbRed = c.r;
        entry.rgbGreen = c.g;
        entry.rgbBlue = c.b;
    }
    const unsigned int bytes = FreeImage_GetBPP(image) / 8;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            fill(FreeImage_GetScanLine(image, 1 - y) + x * bytes, x, y);
        }
    }
    ASSERT_TRUE(FreeImage_Save(format, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

TEST_F(TextureTest, PaletteGreyAlphaAndDeepImagesLoadAs24BitColour) {
    saveSmall(
        dir.file("palette.bmp"), FIF_BMP, FIT_BITMAP, 8,
        [](BYTE* p, int x, int y) { *p = static_cast<BYTE>(y * 3 + x); }, true);
    // The default palette of an 8-bit bitmap is a grey ramp.
    saveSmall(dir.file("grey.png"), FIF_PNG, FIT_BITMAP, 8,
              [](BYTE* p, int x, int y) { *p = pattern(x, y).r; });
    // A varying alpha must not leak into the colour.
    saveSmall(dir.file("alpha.png"), FIF_PNG, FIT_BITMAP, 32, [](BYTE* p, int x, int y) {
        const Rgb c = pattern(x, y);
        p[FI_RGBA_RED] = c.r;
        p[FI_RGBA_GREEN] = c.g;
        p[FI_RGBA_BLUE] = c.b;
        p[FI_RGBA_ALPHA] = static_cast<BYTE>(x * 100);
    });
    // 16 bits a channel, of which the high byte is kept.
    saveSmall(dir.file("deep.png"), FIF_PNG, FIT_RGB16, 48, [](BYTE* p, int x, int y) {
        const Rgb c = pattern(x, y);
        auto* pixel = reinterpret_cast<FIRGB16*>(p);
        pixel->red = static_cast<WORD>(c.r << 8 | 0x7F);
        pixel->green = static_cast<WORD>(c.g << 8 | 0x7F);
        pixel->blue = static_cast<WORD>(c.b << 8 | 0x7F);
    });
    // 16-bit grey, a sample type the 24-bit conversion cannot read directly.
    saveSmall(dir.file("deepgrey.png"), FIF_PNG, FIT_UINT16, 16, [](BYTE* p, int x, int y) {
        *reinterpret_cast<WORD*>(p) = static_cast<WORD>(x * 1000 + y * 20000);
    });

    int width = 0;
    int height = 0;
    for (const char* name : {"palette.bmp", "alpha.png", "deep.png"}) {
        SCOPED_TRACE(name);
        const std::vector<unsigned char> pixels = load(dir.file(name), width, height);
        ASSERT_EQ(width, 3);
        ASSERT_EQ(height, 2);
        expectImage(pixels, width, height, pattern);
    }
    std::vector<unsigned char> pixels = load(dir.file("grey.png"), width, height);
    ASSERT_EQ(width, 3);
    expectImage(pixels, width, height, [](int x, int y) {
        const unsigned char v = pattern(x, y).r;
        return Rgb{v, v, v};
    });
    pixels = load(dir.file("deepgrey.png"), width, height);
    ASSERT_EQ(width, 3);
    ASSERT_EQ(height, 2);
    // Scaled to the full 8-bit range: the top left (second row read back) black, the bottom right
    // (first row read back) white, brighter to the right.
    EXPECT_EQ(pixels[3 * 3], 0);
    EXPECT_EQ(pixels[2 * 3], 255);
    EXPECT_LT(pixels[3 * 3], pixels[4 * 3]);
    EXPECT_EQ(pixels[4 * 3], pixels[4 * 3 + 2]);
}

TEST_F(TextureTest, UnreadableImagesGiveAnEmptyTextureAndNoCrash) {
    // Missing, corrupt, a format we do not decode, and larger than any texture we accept.
    dir.write("corrupt.png", std::string("\x89PNG\r\n\x1a\n", 8) + "garbage that is no chunk");
    dir.write("pixmap.ppm", "P3\n1 1\n255\n255 0 0\n");
    ASSERT_TRUE(stbi_write_png(dir.file("huge.png").c_str(), maxImageSide + 1, 1, 3,
                               std::vector<unsigned char>((maxImageSide + 1) * 3, 90).data(), 0));
    for (const char* name : {"absent.bmp", "corrupt.png", "pixmap.ppm", "huge.png"}) {
        SCOPED_TRACE(name);
        fixture::StdoutCapture capture;
        int width = -1;
        int height = -1;
        load(dir.file(name), width, height);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        // Only a GL error, if the driver records one, is ever reported.
        const std::string out = capture.text();
        EXPECT_TRUE(out.empty() ||
                    std::regex_match(out, std::regex("[0-9]+chainching texturesettings \n")))
            << out;
        fixture::clearGlErrors();
    }
}

TEST_F(TextureTest, PendingGlErrorIsReportedAfterTheUpload) {
    const std::string path = dir.file("one.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(path, 1, 1, {1, 2, 3}));
    fixture::StdoutCapture capture;
    glEnable(0xFFFF);  // GL_INVALID_ENUM, 1280
    textureFromFile(path.c_str(), dir.path());
    EXPECT_EQ(capture.text(), "1280chainching texturesettings \n");
}

TEST_F(TextureTest, DecodeCacheDecodesEachFileOnceButCreatesEveryTexture) {
    const std::string path = dir.file("shared.bmp");
    ASSERT_TRUE(fixture::saveSolidImage(path, 2, 2, {200, 0, 0}));
    int width = 0;
    int height = 0;

    beginImageDecodeCache();
    const unsigned int first = textureFromFile(path.c_str(), dir.path());
    // A changed file is not read again while the cache is open.
    ASSERT_TRUE(fixture::saveSolidImage(path, 2, 2, {0, 200, 0}));
    const unsigned int second = textureFromFile(path.c_str(), dir.path());
    EXPECT_NE(first, second);
    EXPECT_EQ(fixture::readTexture(second, width, height)[0], 200);
    EXPECT_EQ(width, 2);
    endImageDecodeCache();

    const unsigned int third = textureFromFile(path.c_str(), dir.path());
    const std::vector<unsigned char> pixels = fixture::readTexture(third, width, height);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 200);
    EXPECT_EQ(fixture::readTexture(first, width, height)[0], 200);
}

TEST_F(TextureTest, SamplingModesSetTheSixFilterPairs) {
    struct Row {
        bool mipmapping;
        bool mipmapLinear;
        bool nearest;
        GLint min;
        GLint mag;
    };
    const Row rows[] = {
        {false, false, false, GL_LINEAR, GL_LINEAR},
        {false, true, false, GL_LINEAR, GL_LINEAR},
        {false, false, true, GL_NEAREST, GL_NEAREST},
        {false, true, true, GL_NEAREST, GL_NEAREST},
        {true, true, false, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {true, true, true, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {true, false, false, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {true, false, true, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
    };
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    for (const Row& row : rows) {
        applySamplingMode(row.nearest, row.mipmapLinear, row.mipmapping);
        GLint min = 0;
        GLint mag = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        EXPECT_EQ(min, row.min) << row.mipmapping << row.mipmapLinear << row.nearest;
        EXPECT_EQ(mag, row.mag) << row.mipmapping << row.mipmapLinear << row.nearest;
    }
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_MIRRORED_REPEAT) << "wrap modes are left alone";
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &id);
}

// Reads one cube-map face back as RGB, top row first (the order the faces were uploaded in).
std::vector<unsigned char> readFace(unsigned int cubemap, int face, int& size) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face);
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &size);
    std::vector<unsigned char> pixels(static_cast<size_t>(size) * size * 3 + 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    pixels.pop_back();
    return pixels;
}

TEST_F(TextureTest, CubeMapFacesOfAnyChannelCountAndWidthUploadIntact) {
    struct Face {
        int channels;
        int size;
    };
    const Face faces[6] = {{1, 5}, {2, 3}, {3, 5}, {4, 7}, {3, 4}, {3, 1}};
    std::vector<std::string> paths;
    for (int f = 0; f < 6; ++f) {
        const Face face = faces[f];
        std::vector<unsigned char> data;
        for (int y = 0; y < face.size; ++y) {
            for (int x = 0; x < face.size; ++x) {
                const Rgb c = pattern(x % 5, y % 4);
                const unsigned char all[4] = {c.r, c.g, c.b, 77};
                if (face.channels == 1) {
                    data.push_back(c.r);
                } else if (face.channels == 2) {
                    data.push_back(c.r);
                    data.push_back(33);
                } else {
                    data.insert(data.end(), all, all + face.channels);
                }
            }
        }
        paths.push_back(dir.file("face" + std::to_string(f) + ".png"));
        ASSERT_TRUE(stbi_write_png(paths.back().c_str(), face.size, face.size, face.channels,
                                   data.data(), 0));
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    fixture::StdoutCapture capture;
    const unsigned int cubemap = loadCubemap(paths);
    EXPECT_EQ(capture.text(), "");
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2) << "the caller's unpack alignment is restored";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), cubemap) << "left bound";
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        int size = 0;
        const std::vector<unsigned char> pixels = readFace(cubemap, f, size);
        ASSERT_EQ(size, faces[f].size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const Rgb c = pattern(x % 5, y % 4);
                const bool grey = faces[f].channels < 3;
                const size_t at = (static_cast<size_t>(y) * size + x) * 3;
                EXPECT_EQ(pixels[at], c.r);
                EXPECT_EQ(pixels[at + 1], grey ? c.r : c.g);
                EXPECT_EQ(pixels[at + 2], grey ? c.r : c.b);
            }
        }
    }
    const GLenum parameters[5] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                                  GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R};
    const GLint values[5] = {GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE,
                             GL_CLAMP_TO_EDGE};
    for (int i = 0; i < 5; ++i) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, parameters[i], &value);
        EXPECT_EQ(value, values[i]) << i;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

TEST_F(TextureTest, CubeMapReportsEveryFaceThatFails) {
    const std::string missing = dir.file("Textures/newkeystuff.jpg");
    fixture::StdoutCapture capture;
    const unsigned int cubemap = loadCubemap(std::vector<std::string>(6, missing));
    std::string expected;
    for (int i = 0; i < 6; ++i) {
        expected += "Cubemap texture failed to load at path: " + missing + "\n";
    }
    EXPECT_EQ(capture.text(), expected);
    EXPECT_TRUE(glIsTexture(cubemap));

    // One good face among failing ones: only the failures are reported, each under its path.
    const std::string good = dir.file("good.png");
    const unsigned char texel[3] = {1, 2, 3};
    ASSERT_TRUE(stbi_write_png(good.c_str(), 1, 1, 3, texel, 0));
    const std::string huge = dir.file("huge.png");
    ASSERT_TRUE(stbi_write_png(huge.c_str(), maxImageSide + 1, 1, 3,
                               std::vector<unsigned char>((maxImageSide + 1) * 3, 9).data(), 0));
    fixture::StdoutCapture second;
    loadCubemap({good, missing, good, huge, huge, good});
    EXPECT_EQ(second.text(), "Cubemap texture failed to load at path: " + missing +
                                 "\nCubemap texture failed to load at path: " + huge +
                                 "\nCubemap texture failed to load at path: " + huge + "\n");
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

TEST_F(TextureTest, SkyboxLeavesTheCubeMapOnUnitZeroAndMovesTheSecondCamera) {
    secondCamera = std::make_unique<SecondCamera>(glm::mat4(1.0f), 0, 0);
    const std::string face = dir.file("sky.png");
    const unsigned char texel[3] = {10, 20, 30};
    ASSERT_TRUE(stbi_write_png(face.c_str(), 1, 1, 3, texel, 0));
    GLuint plain = 0;
    glGenTextures(1, &plain);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, plain);
    glActiveTexture(GL_TEXTURE3);

    drawSkybox(std::vector<std::string>(6, face));
    EXPECT_EQ(secondCamera->position, glm::vec3(-2.0f, 7.75f, -1.0f));
    GLint value = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &value);
    EXPECT_NE(value, 0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), plain) << "the 2D binding of unit 0 is untouched";
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    secondCamera.reset();
}

TEST_F(TextureTest, ShadowTargetIsACompleteDepthOnly900SquareWithComparison) {
    creatDeathTexture();
    ASSERT_NE(shadowMapFbo, 0u);
    ASSERT_NE(shadowMapTexture, 0u);
    GLint value = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
    EXPECT_EQ(static_cast<GLuint>(value), shadowMapFbo) << "left bound";
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glGetIntegerv(GL_DRAW_BUFFER, &value);
    EXPECT_EQ(value, GL_NONE);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &value);
    EXPECT_EQ(value, GL_NONE);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &value);
    EXPECT_EQ(static_cast<GLuint>(value), shadowMapTexture);

    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), shadowMapTexture) << "left bound";
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 900);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, 900);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &value);
    EXPECT_EQ(value, GL_COMPARE_REF_TO_TEXTURE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, &value);
    EXPECT_EQ(value, GL_LESS);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace
