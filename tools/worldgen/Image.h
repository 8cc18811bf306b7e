#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

// An RGB image, top row first, with colours as floats 0..1 while painting.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<glm::vec3> pixels;

    Image(int w, int h, glm::vec3 fill = glm::vec3(0.0f));
    glm::vec3& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    glm::vec3 at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Deterministic integer hash of a lattice point, mapped to 0..1.
float hash01(int x, int y, std::uint32_t seed);
// Smooth value noise, 0..1, one feature per unit.
float valueNoise(float x, float y, std::uint32_t seed);
// Sum of `octaves` noise layers, each twice as fine and half as strong; 0..1.
float fbm(float x, float y, int octaves, std::uint32_t seed);

// Painting helpers in pixel units; coverage is anti-aliased over about one pixel.
void fillRect(Image& img, float x0, float y0, float x1, float y1, glm::vec3 colour,
              float opacity = 1.0f);
void fillCircle(Image& img, float cx, float cy, float r, glm::vec3 colour, float opacity = 1.0f);
// A filled polygon (any winding, even-odd rule), sampled at pixel centres.
void fillPolygon(Image& img, const std::vector<glm::vec2>& points, glm::vec3 colour,
                 float opacity = 1.0f);

// 8-bit RGB bytes, top row first.
std::vector<unsigned char> toBytes(const Image& img);
// 24-bit PNG and baseline JPEG files; false when the file cannot be written.
bool writePng(const std::string& path, const Image& img);
bool writeJpg(const std::string& path, const Image& img, int quality);
