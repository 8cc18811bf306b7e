#include "Image.h"

#include <algorithm>
#include <cmath>

#include <stb_image_write.h>

Image::Image(int w, int h, glm::vec3 fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

float hash01(int x, int y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFFu) / static_cast<float>(0xFFFFFF);
}

float valueNoise(float x, float y, std::uint32_t seed) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = static_cast<int>(fx);
    int iy = static_cast<int>(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    float a = hash01(ix, iy, seed);
    float b = hash01(ix + 1, iy, seed);
    float c = hash01(ix, iy + 1, seed);
    float d = hash01(ix + 1, iy + 1, seed);
    return glm::mix(glm::mix(a, b, tx), glm::mix(c, d, tx), ty);
}

float fbm(float x, float y, int octaves, std::uint32_t seed) {
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101u);
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        weight *= 0.5f;
    }
    return sum / total;
}

void fillRect(Image& img, float x0, float y0, float x1, float y1, glm::vec3 colour, float opacity) {
    int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    int ix1 = std::min(img.width - 1, static_cast<int>(std::ceil(x1)));
    int iy1 = std::min(img.height - 1, static_cast<int>(std::ceil(y1)));
    for (int y = iy0; y <= iy1; ++y) {
        float cy =
            std::clamp(std::min(y1, y + 1.0f) - std::max(y0, static_cast<float>(y)), 0.0f, 1.0f);
        for (int x = ix0; x <= ix1; ++x) {
            float cx = std::clamp(std::min(x1, x + 1.0f) - std::max(x0, static_cast<float>(x)),
                                  0.0f, 1.0f);
            glm::vec3& p = img.at(x, y);
            p = glm::mix(p, colour, cx * cy * opacity);
        }
    }
}

void fillCircle(Image& img, float cx, float cy, float r, glm::vec3 colour, float opacity) {
    int x0 = std::max(0, static_cast<int>(std::floor(cx - r - 1.0f)));
    int y0 = std::max(0, static_cast<int>(std::floor(cy - r - 1.0f)));
    int x1 = std::min(img.width - 1, static_cast<int>(std::ceil(cx + r + 1.0f)));
    int y1 = std::min(img.height - 1, static_cast<int>(std::ceil(cy + r + 1.0f)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            float cover = std::clamp(r - d + 0.5f, 0.0f, 1.0f);
            glm::vec3& p = img.at(x, y);
            p = glm::mix(p, colour, cover * opacity);
        }
    }
}

void fillPolygon(Image& img, const std::vector<glm::vec2>& points, glm::vec3 colour,
                 float opacity) {
    if (points.size() < 3) {
        return;
    }
    // Four samples per pixel give the edges a little smoothing.
    const float offsets[4][2] = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}, {0.75f, 0.75f}};
    glm::vec2 lo = points[0];
    glm::vec2 hi = points[0];
    for (glm::vec2 p : points) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    int x0 = std::max(0, static_cast<int>(std::floor(lo.x)));
    int y0 = std::max(0, static_cast<int>(std::floor(lo.y)));
    int x1 = std::min(img.width - 1, static_cast<int>(std::ceil(hi.x)));
    int y1 = std::min(img.height - 1, static_cast<int>(std::ceil(hi.y)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int inside = 0;
            for (const auto& o : offsets) {
                float px = x + o[0];
                float py = y + o[1];
                bool in = false;
                for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                    glm::vec2 a = points[i];
                    glm::vec2 b = points[j];
                    if ((a.y > py) != (b.y > py) &&
                        px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) {
                        in = !in;
                    }
                }
                inside += in ? 1 : 0;
            }
            if (inside > 0) {
                glm::vec3& p = img.at(x, y);
                p = glm::mix(p, colour, opacity * static_cast<float>(inside) / 4.0f);
            }
        }
    }
}

std::vector<unsigned char> toBytes(const Image& img) {
    std::vector<unsigned char> bytes(img.pixels.size() * 3);
    for (std::size_t i = 0; i < img.pixels.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            float v = std::clamp(img.pixels[i][c], 0.0f, 1.0f);
            bytes[i * 3 + c] = static_cast<unsigned char>(std::lround(v * 255.0f));
        }
    }
    return bytes;
}

bool writePng(const std::string& path, const Image& img) {
    std::vector<unsigned char> bytes = toBytes(img);
    return stbi_write_png(path.c_str(), img.width, img.height, 3, bytes.data(), img.width * 3) != 0;
}

bool writeJpg(const std::string& path, const Image& img, int quality) {
    std::vector<unsigned char> bytes = toBytes(img);
    return stbi_write_jpg(path.c_str(), img.width, img.height, 3, bytes.data(), quality) != 0;
}
