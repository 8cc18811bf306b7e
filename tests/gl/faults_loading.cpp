// Loading faults that a maintainer replacing models and images can bring in, checked in-process
// against a real context (and so under the sanitizers): text models with broken face lists, images
// of unusual depths, images whose headers claim sizes far beyond any texture, and sky faces in
// formats we do not ship.
#include <GL/glew.h>
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/Cubemap.h"
#include "render/Model.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "render_fixtures.h"
#include "support/GlContext.h"

namespace {

using fixture::Rgb;

class LoadingFaults : public testing::Test {
protected:
    void SetUp() override {
        testGlContext();
        const std::string vertex = dir.write("v",
                                             "#version 330 core\nlayout(location = 0) in vec3 p;\n"
                                             "void main() { gl_Position = vec4(p, 1.0); }\n");
        const std::string fragment =
            dir.write("f",
                      "#version 330 core\nout vec4 c;\nuniform sampler2D texture_diffuse1;\n"
                      "void main() { c = texture(texture_diffuse1, vec2(0.0)); }\n");
        shader = std::make_unique<Shader>(vertex, fragment);
        fixture::clearGlErrors();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    // The width of level 0 of the texture the file gives, 0 for an empty texture.
    int loadedWidth(const std::string& path) {
        int width = -1;
        int height = -1;
        fixture::readTexture(textureFromFile(path.c_str(), dir.path()), width, height);
        return width;
    }

    fixture::ScratchDir dir;
    std::unique_ptr<Shader> shader;
};

struct BrokenObj {
    const char* name;
    const char* text;
};

TEST_F(LoadingFaults, TextModelsWithBrokenFacesNeverIndexPastTheirVertices) {
    const std::string corners = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const BrokenObj cases[] = {
        {"points and lines among triangles", "p 1\nl 1 2\nf 1 2 3\nl 3 4 1\nf 1 3 4\n"},
        {"a corner beyond the vertices", "f 1 2 3\nf 1 2 9\n"},
        {"corner zero", "f 0 1 2\n"},
        {"a relative corner before the first vertex", "f -1 -2 -9\n"},
        {"a corner beyond 32 bits", "f 1 2 99999999999\n"},
        {"texture coordinates and normals that do not exist", "f 1/7/7 2/8/8 3/9/9\n"},
        {"a face of one hundred corners", nullptr},
    };
    for (const BrokenObj& broken : cases) {
        SCOPED_TRACE(broken.name);
        std::string faces = broken.text != nullptr ? broken.text : "";
        if (broken.text == nullptr) {
            faces = "f";
            for (int k = 0; k < 100; ++k) {
                faces += " " + std::to_string(k % 4 + 1);
            }
            faces += "\n";
        }
        const std::string path = dir.write("broken.obj", corners + faces);
        fixture::StdoutCapture capture;
        Model model(path, shader.get());
        const std::string out = capture.text();
        // Refused files say so once; accepted ones keep only corners that exist.
        EXPECT_TRUE(out.empty() ||
                    (out.rfind("ERROR::ASSIMP:: ", 0) == 0 && out.find('\n') == out.size() - 1))
            << out;
        EXPECT_EQ(out.empty(), !model.meshes.empty()) << out;
        for (const Mesh& mesh : model.meshes) {
            for (unsigned int index : mesh.indices) {
                EXPECT_LT(index, mesh.vertices.size());
            }
        }
        glUseProgram(shader->programId);
        model.draw();
        glUseProgram(0);
    }
}

// Colours that every depth below holds exactly.
const Rgb primaries[6] = {{255, 0, 0},   {0, 255, 0}, {0, 0, 255},
                          {255, 255, 0}, {0, 0, 0},   {255, 255, 255}};

// Saves a 3 x 2 image of the given depth holding the six primaries, row by row from the top.
// Palette images take the colours from their palette; 16-bit ones pack them as 5-6-5 or 5-5-5.
bool savePrimaries(const std::string& path, int bpp, bool fiveFiveFive = false) {
    const unsigned int red = fiveFiveFive ? FI16_555_RED_MASK : FI16_565_RED_MASK;
    const unsigned int green = fiveFiveFive ? FI16_555_GREEN_MASK : FI16_565_GREEN_MASK;
    const unsigned int blue = fiveFiveFive ? FI16_555_BLUE_MASK : FI16_565_BLUE_MASK;
    FIBITMAP* image =
        bpp == 16 ? FreeImage_Allocate(3, 2, 16, red, green, blue) : FreeImage_Allocate(3, 2, bpp);
    const int colours = bpp == 1 ? 2 : 6;
    for (int i = 0; bpp <= 8 && i < colours; ++i) {
        RGBQUAD& entry = FreeImage_GetPalette(image)[i];
        entry.rgbRed = primaries[i].r;
        entry.rgbGreen = primaries[i].g;
        entry.rgbBlue = primaries[i].b;
    }
    for (int i = 0; i < 6; ++i) {
        BYTE* row = FreeImage_GetScanLine(image, 1 - i / 3);
        const int x = i % 3;
        const Rgb c = primaries[i];
        if (bpp == 1) {
            // Two palette entries: even pixels red, odd ones green.
            row[0] = static_cast<BYTE>(row[0] | ((i % 2) << (7 - x)));
        } else if (bpp == 4) {
            row[x / 2] = static_cast<BYTE>(row[x / 2] | (i << (x % 2 == 0 ? 4 : 0)));
        } else if (bpp == 8) {
            row[x] = static_cast<BYTE>(i);
        } else {
            const unsigned int r5 = c.r >> 3;
            const unsigned int b5 = c.b >> 3;
            const WORD packed = fiveFiveFive
                                    ? static_cast<WORD>(r5 << FI16_555_RED_SHIFT |
                                                        (c.g >> 3) << FI16_555_GREEN_SHIFT |
                                                        b5 << FI16_555_BLUE_SHIFT)
                                    : static_cast<WORD>(r5 << FI16_565_RED_SHIFT |
                                                        (c.g >> 2) << FI16_565_GREEN_SHIFT |
                                                        b5 << FI16_565_BLUE_SHIFT);
            reinterpret_cast<WORD*>(row)[x] = packed;
        }
    }
    const bool saved = FreeImage_Save(FIF_BMP, image, path.c_str(), 0) == TRUE;
    FreeImage_Unload(image);
    return saved;
}

TEST_F(LoadingFaults, OneFourAndSixteenBitImagesLoadAs24BitColour) {
    struct Depth {
        const char* name;
        int bpp;
        bool fiveFiveFive;
    };
    for (const Depth depth : {Depth{"1-bit", 1, false}, Depth{"4-bit", 4, false},
                              Depth{"16-bit 5-6-5", 16, false}, Depth{"16-bit 5-5-5", 16, true}}) {
        SCOPED_TRACE(depth.name);
        const std::string path = dir.file(std::string(depth.name) + ".bmp");
        ASSERT_TRUE(savePrimaries(path, depth.bpp, depth.fiveFiveFive));
        int width = 0;
        int height = 0;
        const std::vector<unsigned char> pixels =
            fixture::readTexture(textureFromFile(path.c_str(), dir.path()), width, height);
        ASSERT_EQ(width, 3);
        ASSERT_EQ(height, 2);
        for (int i = 0; i < 6; ++i) {
            // Level 0 is read back bottom row first.
            const size_t at = (static_cast<size_t>(1 - i / 3) * 3 + i % 3) * 3;
            const Rgb want = depth.bpp == 1 ? primaries[i % 2] : primaries[i];
            EXPECT_EQ(pixels[at], want.r) << i;
            EXPECT_EQ(pixels[at + 1], want.g) << i;
            EXPECT_EQ(pixels[at + 2], want.b) << i;
        }
    }
}

void putLittle(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putBig(std::string& bytes, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// Headers that claim a picture of side `side` (and the pixels that follow are a few bytes only).
std::string bmpClaiming(std::uint32_t side) {
    std::string bytes = "BM";
    putLittle(bytes, 54 + 16, 4);
    putLittle(bytes, 0, 4);
    putLittle(bytes, 54, 4);
    putLittle(bytes, 40, 4);
    putLittle(bytes, side, 4);
    putLittle(bytes, side, 4);
    putLittle(bytes, 1, 2);
    putLittle(bytes, 24, 2);
    putLittle(bytes, 0, 4);
    putLittle(bytes, 0, 4);
    putLittle(bytes, 2835, 4);
    putLittle(bytes, 2835, 4);
    putLittle(bytes, 0, 4);
    putLittle(bytes, 0, 4);
    return bytes + std::string(16, '\x55');
}

std::string pngClaiming(std::uint32_t side) {
    std::string header = "IHDR";
    putBig(header, side);
    putBig(header, side);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string bytes = "\x89PNG\r\n\x1a\n";
    putBig(bytes, 13);
    bytes += header;
    putBig(bytes, crc32(header));
    putBig(bytes, 0);
    bytes += "IEND";
    putBig(bytes, crc32("IEND"));
    return bytes;
}

std::string jpegClaiming(std::uint32_t side) {
    std::string bytes = "\xFF\xD8\xFF\xC0";
    putBig(bytes, (17u << 16) | (8u << 8) | ((side >> 8) & 0xFF));
    bytes += static_cast<char>(side & 0xFF);
    bytes += static_cast<char>((side >> 8) & 0xFF);
    bytes += static_cast<char>(side & 0xFF);
    bytes += std::string("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);
    return bytes + "\xFF\xD9";
}

std::string tgaClaiming(std::uint32_t side) {
    std::string bytes(12, '\0');
    bytes[2] = 2;
    putLittle(bytes, side, 2);
    putLittle(bytes, side, 2);
    bytes += '\x18';
    bytes += '\0';
    return bytes + std::string(16, '\x55');
}

std::string tiffClaiming(std::uint32_t side) {
    std::string bytes = "II";
    putLittle(bytes, 42, 2);
    putLittle(bytes, 8, 4);
    const std::uint32_t entries[][3] = {{256, 4, side}, {257, 4, side}, {258, 3, 8},
                                        {259, 3, 1},    {262, 3, 2},    {273, 4, 200},
                                        {277, 3, 3},    {278, 4, side}, {279, 4, 16}};
    putLittle(bytes, 9, 2);
    for (const auto& entry : entries) {
        putLittle(bytes, entry[0], 2);
        putLittle(bytes, entry[1], 2);
        putLittle(bytes, 1, 4);
        putLittle(bytes, entry[2], 4);
    }
    putLittle(bytes, 0, 4);
    bytes += std::string(200 - bytes.size(), '\0');
    return bytes + std::string(16, '\x55');
}

TEST_F(LoadingFaults, ImagesClaimingHugeSizesAreRefusedBeforeTheirPixels) {
    // Decoding any of these would ask for gigabytes; the sanitizers fail a test that tries.
    const std::uint32_t side = 60000;
    struct Claim {
        const char* name;
        std::string bytes;
        bool skyFormat;
    };
    const Claim claims[] = {{"huge.bmp", bmpClaiming(side), true},
                            {"huge.png", pngClaiming(side), true},
                            {"huge.jpg", jpegClaiming(side), true},
                            {"huge.tga", tgaClaiming(side), false},
                            {"huge.tif", tiffClaiming(side), false}};
    for (const Claim& claim : claims) {
        SCOPED_TRACE(claim.name);
        const std::string path = dir.write(claim.name, claim.bytes);
        EXPECT_EQ(loadedWidth(path), 0);
        fixture::clearGlErrors();
        if (claim.skyFormat) {
            fixture::StdoutCapture capture;
            loadCubemap({path});
            EXPECT_EQ(capture.text(), "Cubemap texture failed to load at path: " + path + "\n");
            glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        }
    }
    // The same headers with a small size are decoded, so the refusal is the size's.
    EXPECT_EQ(loadedWidth(dir.write("small.bmp", bmpClaiming(2))), 2);
}

TEST_F(LoadingFaults, SkyFacesInFormatsWeDoNotShipNeverReachTheDecoder) {
    const unsigned char texel[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const float hdrTexel[12] = {0.5f, 0.25f, 0.125f, 1, 1, 1, 0, 0, 0, 0.5f, 0.5f, 0.5f};
    const std::string jpeg = dir.file("face.jpg");
    const std::string bmp = dir.file("face.bmp");
    const std::string tga = dir.file("face.tga");
    const std::string hdr = dir.file("face.hdr");
    ASSERT_TRUE(stbi_write_jpg(jpeg.c_str(), 2, 2, 3, texel, 90));
    ASSERT_TRUE(stbi_write_bmp(bmp.c_str(), 2, 2, 3, texel));
    ASSERT_TRUE(stbi_write_tga(tga.c_str(), 2, 2, 3, texel));
    ASSERT_TRUE(stbi_write_hdr(hdr.c_str(), 2, 2, 3, hdrTexel));
    const std::string pixmap =
        dir.write("face.ppm", std::string("P6\n2 2\n255\n") + std::string(12, '\x40'));
    // A 1 x 1 GIF, written out byte by byte.
    const std::string gif = dir.write(
        "face.gif", std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\x00"
                                ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                35));

    fixture::StdoutCapture capture;
    const unsigned int cubemap = loadCubemap({jpeg, bmp, tga, hdr, pixmap, gif});
    std::string expected;
    for (const std::string& refused : {tga, hdr, pixmap, gif}) {
        expected += "Cubemap texture failed to load at path: " + refused + "\n";
    }
    EXPECT_EQ(capture.text(), expected);
    for (GLenum face : {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X}) {
        GLint width = 0;
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 2) << "JPEG and BMP faces are decoded";
    }
    EXPECT_TRUE(glIsTexture(cubemap));
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

}  // namespace
