#include "Textures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSwatchGrid = 4;

const glm::vec3 kSwatchColours[kSwatchCount] = {
    {0.86f, 0.16f, 0.12f},  // red
    {0.15f, 0.35f, 0.85f},  // blue
    {0.98f, 0.80f, 0.12f},  // yellow
    {0.85f, 0.65f, 0.22f},  // brass
    {0.72f, 0.75f, 0.80f},  // steel
    {0.93f, 0.75f, 0.60f},  // skin
    {0.10f, 0.55f, 0.55f},  // teal
    {0.08f, 0.08f, 0.10f},  // visor
    {0.55f, 1.00f, 1.00f},  // glowing cyan
    {0.22f, 0.58f, 0.18f},  // leaf
    {0.95f, 0.35f, 0.62f},  // petal
    {1.00f, 0.62f, 0.10f},  // pollen
    {1.00f, 0.10f, 0.05f},  // glowing red
    {0.95f, 0.95f, 0.92f},  // white
    {0.10f, 0.28f, 0.16f},  // felt
    {0.36f, 0.22f, 0.12f},  // leather
};

glm::vec3 clamp01(glm::vec3 c) {
    return glm::clamp(c, glm::vec3(0.0f), glm::vec3(1.0f));
}

// Floor boards: planks along u, eight across, with staggered end joints and grain.
Image paintBoards() {
    const int n = 512;
    Image img(n, n);
    const int planks = 8;
    const float plankH = static_cast<float>(n) / planks;
    for (int y = 0; y < n; ++y) {
        int row = static_cast<int>(y / plankH);
        float inRow = y - row * plankH;
        for (int x = 0; x < n; ++x) {
            // Two boards per row with the joint at a different place in each row.
            float joint = (0.2f + 0.6f * hash01(row, 7, 11u)) * n;
            int board = x < joint ? 0 : 1;
            float tone = 0.85f + 0.3f * hash01(row, board, 12u);
            float grain = fbm(x * 0.01f, y * 0.18f + row * 13.0f, 4, 13u);
            float streak = 0.5f + 0.5f * std::sin((y + grain * 40.0f) * 0.55f);
            glm::vec3 c = glm::vec3(0.58f, 0.38f, 0.20f) * tone;
            c *= 0.82f + 0.18f * streak + 0.15f * (grain - 0.5f);
            // Dark gaps between planks and at the end joints.
            if (inRow < 2.0f || std::fabs(x - joint) < 1.5f) {
                c *= 0.35f;
            }
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Plaster: warm off-white with soft blotches and fine grain.
Image paintPlaster() {
    const int n = 256;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float blotch = fbm(x / 48.0f, y / 48.0f, 4, 21u);
            float fine = hash01(x, y, 22u);
            glm::vec3 c = glm::vec3(0.88f, 0.84f, 0.76f) * (0.88f + 0.16f * blotch);
            c += (fine - 0.5f) * 0.04f;
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Masonry in running bond. The courses at the top and bottom edges are half high, and the
// bricks of alternate courses are offset by half a brick, so that the mirrored repeat of the
// texture continues the bond across its edges.
Image paintStone() {
    const int n = 512;
    Image img(n, n);
    const int courses = 6;
    const float courseH = static_cast<float>(n) / courses;
    const int bricksPerCourse = 3;
    const float brickW = static_cast<float>(n) / bricksPerCourse;
    const float mortar = 5.0f;
    for (int y = 0; y < n; ++y) {
        float cy = y / courseH + 0.5f;
        int course = static_cast<int>(std::floor(cy));
        float inCourse = (cy - course) * courseH;
        float shift = (course % 2 == 0) ? 0.0f : 0.5f;
        for (int x = 0; x < n; ++x) {
            float bx = x / brickW + shift;
            int brick = static_cast<int>(std::floor(bx));
            float inBrick = (bx - brick) * brickW;
            float edge = std::min({inCourse, courseH - inCourse, inBrick, brickW - inBrick});
            float tone = 0.75f + 0.35f * hash01(brick, course, 31u);
            float rough = fbm(x / 20.0f, y / 20.0f, 4, 32u);
            glm::vec3 stone = glm::vec3(0.62f, 0.58f, 0.52f) * tone * (0.8f + 0.35f * rough);
            // A slight warm or cool cast per block.
            stone += glm::vec3(0.06f, 0.02f, -0.03f) * (hash01(brick, course, 33u) - 0.5f) * 2.0f;
            glm::vec3 mortarColour = glm::vec3(0.78f, 0.76f, 0.70f) * (0.9f + 0.1f * rough);
            float m = std::clamp((edge - mortar) / 2.0f, 0.0f, 1.0f);
            glm::vec3 c = glm::mix(mortarColour, stone, m);
            // Darken the block edges a little for relief.
            c *= 0.85f + 0.15f * std::clamp((edge - mortar) / 10.0f, 0.0f, 1.0f);
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Floor tiles: 4 x 4 slate tiles with light grout, half grout lines at the edges.
Image paintTiles() {
    const int n = 256;
    Image img(n, n);
    const float tile = n / 4.0f;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            int tx = static_cast<int>(x / tile);
            int ty = static_cast<int>(y / tile);
            float ix = x - tx * tile;
            float iy = y - ty * tile;
            float edge = std::min({ix, iy, tile - 1.0f - ix, tile - 1.0f - iy});
            float vein = fbm(x / 24.0f, y / 24.0f, 5, 41u + tx * 7u + ty * 13u);
            float tone = 0.8f + 0.3f * hash01(tx, ty, 42u);
            glm::vec3 c = glm::vec3(0.42f, 0.45f, 0.50f) * tone * (0.75f + 0.5f * vein);
            if (edge < 1.5f) {
                c = glm::vec3(0.72f, 0.70f, 0.66f);
            }
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Roof: overlapping rounded clay shingles in rows, half rows at the edges like the masonry.
Image paintRoof() {
    const int n = 256;
    Image img(n, n);
    const int rows = 8;
    const float rowH = static_cast<float>(n) / rows;
    const float width = n / 6.0f;
    for (int y = 0; y < n; ++y) {
        float cy = y / rowH + 0.5f;
        int row = static_cast<int>(std::floor(cy));
        float inRow = (cy - row);
        float shift = (row % 2 == 0) ? 0.0f : 0.5f;
        for (int x = 0; x < n; ++x) {
            float bx = x / width + shift;
            int k = static_cast<int>(std::floor(bx));
            float u = bx - k - 0.5f;
            // Rounded lower edge: darker towards the shadowed bottom of each shingle.
            float curve = 1.0f - 4.0f * u * u;
            float shade = 0.65f + 0.35f * std::clamp(1.0f - inRow + 0.3f * curve, 0.0f, 1.0f);
            float tone = 0.8f + 0.3f * hash01(k, row, 51u);
            glm::vec3 c = glm::vec3(0.66f, 0.26f, 0.16f) * tone * shade;
            c *= 0.85f + 0.3f * fbm(x / 16.0f, y / 16.0f, 3, 52u);
            if (std::fabs(u) > 0.47f) {
                c *= 0.5f;
            }
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Lawn: green with patches, blades as fine streaks, a few small flowers.
Image paintLawn() {
    const int n = 256;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float patch = fbm(x / 40.0f, y / 40.0f, 4, 61u);
            float blade = hash01(x, y / 3, 62u);
            glm::vec3 c =
                glm::mix(glm::vec3(0.20f, 0.42f, 0.12f), glm::vec3(0.40f, 0.60f, 0.18f), patch);
            c *= 0.8f + 0.35f * blade;
            img.at(x, y) = clamp01(c);
        }
    }
    for (int i = 0; i < 24; ++i) {
        float fx = hash01(i, 1, 63u) * n;
        float fy = hash01(i, 2, 63u) * n;
        glm::vec3 petal = (i % 3 == 0)   ? glm::vec3(1.0f, 1.0f, 0.9f)
                          : (i % 3 == 1) ? glm::vec3(1.0f, 0.85f, 0.2f)
                                         : glm::vec3(0.8f, 0.6f, 1.0f);
        fillCircle(img, fx, fy, 2.0f, petal);
    }
    return img;
}

// Wood: long grain along u with growth rings and a few knots.
Image paintWood() {
    const int n = 256;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float warp = fbm(x / 64.0f, y / 16.0f, 4, 71u);
            float rings = 0.5f + 0.5f * std::sin((y * 0.25f + warp * 12.0f));
            float knotD = std::hypot(x - 180.0f, (y - 90.0f) * 2.0f);
            float knot = std::exp(-knotD / 9.0f);
            glm::vec3 c =
                glm::mix(glm::vec3(0.45f, 0.27f, 0.13f), glm::vec3(0.62f, 0.41f, 0.22f), rings);
            c *= 0.9f + 0.2f * hash01(x / 2, y, 72u) - 0.45f * knot;
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Metal: brushed along u with a faint sheen band and scratches.
Image paintMetal() {
    const int n = 256;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float brush = valueNoise(x / 90.0f, y * 1.0f, 81u);
            float sheen = 0.5f + 0.5f * std::cos((x + y) / static_cast<float>(n) * 6.2831853f);
            glm::vec3 c = glm::vec3(0.62f, 0.64f, 0.68f) * (0.8f + 0.15f * brush + 0.15f * sheen);
            img.at(x, y) = clamp01(c);
        }
    }
    for (int i = 0; i < 30; ++i) {
        float x0 = hash01(i, 1, 82u) * n;
        float y0 = hash01(i, 2, 82u) * n;
        float len = 10.0f + 30.0f * hash01(i, 3, 82u);
        fillRect(img, x0, y0, x0 + len, y0 + 1.0f, glm::vec3(0.85f, 0.86f, 0.9f), 0.5f);
    }
    return img;
}

// Dark weathered stone for the statues, with moss in the hollows.
Image paintStatue() {
    const int n = 256;
    Image img(n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float rough = fbm(x / 18.0f, y / 18.0f, 5, 91u);
            float crack = std::fabs(fbm(x / 40.0f, y / 40.0f, 3, 92u) - 0.5f);
            float moss = std::clamp((fbm(x / 30.0f, y / 30.0f, 4, 93u) - 0.55f) * 4.0f, 0.0f, 1.0f);
            glm::vec3 c = glm::vec3(0.30f, 0.30f, 0.33f) * (0.7f + 0.6f * rough);
            c = glm::mix(c, glm::vec3(0.20f, 0.30f, 0.14f), moss * 0.7f);
            if (crack < 0.015f) {
                c *= 0.4f;
            }
            img.at(x, y) = clamp01(c);
        }
    }
    return img;
}

// Flat colours with a faint texture, so flat-mapped parts still look like a material.
Image paintPalette() {
    const int n = 256;
    Image img(n, n);
    const int cell = n / kSwatchGrid;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            int s = (y / cell) * kSwatchGrid + x / cell;
            float grain = hash01(x, y, 101u);
            img.at(x, y) = clamp01(kSwatchColours[s] * (0.97f + 0.06f * grain));
        }
    }
    return img;
}

// Digits 1 to 8 in a 3 x 5 pixel font, top row first, most significant bit on the left.
const unsigned char kDigitRows[9][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7},
                                        {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
                                        {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}};

// A round white badge with a dark rim and a dark digit, centred at (cx, cy).
void paintBadge(Image& img, float cx, float cy, int digit) {
    const float r = 23.0f;
    fillCircle(img, cx, cy, r, glm::vec3(0.12f, 0.10f, 0.10f));
    fillCircle(img, cx, cy, r - 3.0f, glm::vec3(0.98f, 0.97f, 0.92f));
    const float px = 6.0f;
    const float x0 = cx - 1.5f * px;
    const float y0 = cy - 2.5f * px;
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 3; ++column) {
            if ((kDigitRows[digit][row] >> (2 - column) & 1) != 0) {
                fillRect(img, x0 + column * px, y0 + row * px, x0 + (column + 1) * px,
                         y0 + (row + 1) * px, glm::vec3(0.10f, 0.08f, 0.12f));
            }
        }
    }
}

// A band of width `width` along the polyline through `points`, drawn as overlapping discs.
void paintBand(Image& img, const std::vector<glm::vec2>& points, float width0, float width1,
               glm::vec3 colour) {
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / steps * static_cast<float>(points.size() - 1);
        const std::size_t k = std::min(static_cast<std::size_t>(t), points.size() - 2);
        const glm::vec2 p = glm::mix(points[k], points[k + 1], t - static_cast<float>(k));
        fillCircle(img, p.x, p.y, 0.5f * glm::mix(width0, width1, t / (points.size() - 1)), colour);
    }
}

// The board's picture: a cottage by a river under a low sun, framed in gold. Its large shapes
// (sun, mountain, cottage, river, road, fence, frame) run across the lines between the ninths,
// and every ninth but the one left empty carries its number (1 to 8 in reading order), so an
// arrangement other than the whole picture shows broken shapes at once.
Image paintPicture() {
    const int n = 512;
    const float fn = static_cast<float>(n);
    Image img(n, n);
    const glm::vec2 sun(0.36f * fn, 0.22f * fn);
    const float horizon = 0.52f * fn;
    // Sky from deep blue at the top to pale at the horizon, warmed around the sun.
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const float t = std::clamp(y / horizon, 0.0f, 1.0f);
            glm::vec3 sky =
                glm::mix(glm::vec3(0.10f, 0.22f, 0.62f), glm::vec3(0.62f, 0.80f, 0.97f), t);
            const float d = glm::distance(glm::vec2(x, y), sun) / fn;
            const float glow = std::clamp(1.0f - d / 0.42f, 0.0f, 1.0f);
            img.at(x, y) = glm::mix(sky, glm::vec3(1.0f, 0.78f, 0.42f), 0.75f * glow * glow);
        }
    }
    // The sun across the first two ninths of the top row, with a pale core.
    fillCircle(img, sun.x, sun.y, 0.15f * fn, glm::vec3(1.0f, 0.62f, 0.10f));
    fillCircle(img, sun.x, sun.y, 0.11f * fn, glm::vec3(1.0f, 0.86f, 0.30f));
    // One big mountain rising to the right, its peak in the top right ninth, and its snow cap.
    fillPolygon(img,
                {{0.40f * fn, horizon},
                 {0.62f * fn, 0.30f * fn},
                 {0.70f * fn, 0.34f * fn},
                 {0.80f * fn, 0.12f * fn},
                 {0.92f * fn, 0.26f * fn},
                 {fn, 0.22f * fn},
                 {fn, horizon}},
                glm::vec3(0.36f, 0.28f, 0.48f));
    fillPolygon(img,
                {{0.80f * fn, 0.12f * fn},
                 {0.88f * fn, 0.215f * fn},
                 {0.83f * fn, 0.20f * fn},
                 {0.79f * fn, 0.24f * fn},
                 {0.745f * fn, 0.20f * fn}},
                glm::vec3(0.97f, 0.97f, 1.0f));
    // Meadow below the horizon, lighter far away.
    for (int y = static_cast<int>(horizon); y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const float t = (y - horizon) / (fn - horizon);
            const glm::vec3 g =
                glm::mix(glm::vec3(0.45f, 0.72f, 0.22f), glm::vec3(0.16f, 0.42f, 0.10f), t);
            img.at(x, y) = g * (0.94f + 0.12f * fbm(x / 14.0f, y / 14.0f, 3, 112u));
        }
    }
    // A river from the mountain's foot to the bottom left corner, widening as it comes near.
    paintBand(img,
              {{0.86f * fn, horizon},
               {0.74f * fn, 0.62f * fn},
               {0.86f * fn, 0.76f * fn},
               {0.55f * fn, 0.88f * fn},
               {0.22f * fn, 0.86f * fn},
               {0.0f, 0.97f * fn}},
              0.03f * fn, 0.12f * fn, glm::vec3(0.16f, 0.42f, 0.86f));
    // A road from the cottage's door down to the bottom edge, crossing the river.
    paintBand(img, {{0.29f * fn, 0.67f * fn}, {0.40f * fn, 0.80f * fn}, {0.62f * fn, fn}},
              0.05f * fn, 0.12f * fn, glm::vec3(0.86f, 0.74f, 0.50f));
    // A picket fence across the whole meadow.
    const glm::vec3 white(0.97f, 0.96f, 0.90f);
    fillRect(img, 0.0f, 0.735f * fn, fn, 0.75f * fn, white);
    fillRect(img, 0.0f, 0.795f * fn, fn, 0.81f * fn, white);
    // Pickets stand clear of the lines between the ninths.
    for (int k = 0; k < 24; ++k) {
        const float x = (static_cast<float>(k) + 0.5f) / 24.0f * fn;
        fillRect(img, x - 0.007f * fn, 0.71f * fn, x + 0.007f * fn, 0.83f * fn, white);
    }
    // The cottage across the two left ninths of the middle row, its roof reaching into the top
    // row: white walls, a red roof with a chimney, a door and two windows.
    fillRect(img, 0.40f * fn, 0.30f * fn, 0.44f * fn, 0.42f * fn, glm::vec3(0.45f, 0.25f, 0.18f));
    fillRect(img, 0.14f * fn, 0.48f * fn, 0.48f * fn, 0.68f * fn, glm::vec3(0.96f, 0.92f, 0.80f));
    fillPolygon(img, {{0.10f * fn, 0.49f * fn}, {0.31f * fn, 0.28f * fn}, {0.52f * fn, 0.49f * fn}},
                glm::vec3(0.80f, 0.14f, 0.08f));
    fillRect(img, 0.265f * fn, 0.56f * fn, 0.315f * fn, 0.68f * fn, glm::vec3(0.42f, 0.22f, 0.10f));
    fillRect(img, 0.17f * fn, 0.54f * fn, 0.23f * fn, 0.60f * fn, glm::vec3(0.25f, 0.50f, 0.85f));
    fillRect(img, 0.38f * fn, 0.54f * fn, 0.44f * fn, 0.60f * fn, glm::vec3(0.25f, 0.50f, 0.85f));
    // A dark wooden frame around the whole picture with a gilded inner edge, unlike anything
    // inside it, so that a ninth from the border shows its piece of frame wherever it lies.
    const float f = 0.045f * fn;
    const float g = 5.0f;
    const glm::vec3 walnut(0.30f, 0.17f, 0.07f);
    const glm::vec3 gold(0.95f, 0.74f, 0.22f);
    fillRect(img, 0.0f, 0.0f, fn, f + g, gold);
    fillRect(img, 0.0f, fn - f - g, fn, fn, gold);
    fillRect(img, 0.0f, 0.0f, f + g, fn, gold);
    fillRect(img, fn - f - g, 0.0f, fn, fn, gold);
    fillRect(img, 0.0f, 0.0f, fn, f, walnut);
    fillRect(img, 0.0f, fn - f, fn, fn, walnut);
    fillRect(img, 0.0f, 0.0f, f, fn, walnut);
    fillRect(img, fn - f, 0.0f, fn, fn, walnut);
    // The numbers, in reading order; the bottom left ninth stays empty on the solved board.
    const float third = fn / 3.0f;
    int number = 1;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row == 2 && column == 0) {
                continue;
            }
            paintBadge(img, column * third + 50.0f, row * third + 50.0f, number);
            ++number;
        }
    }
    return img;
}

}  // namespace

glm::vec2 swatchUv(Swatch swatch) {
    int s = static_cast<int>(swatch);
    return glm::vec2((s % kSwatchGrid + 0.5f) / kSwatchGrid,
                     (s / kSwatchGrid + 0.5f) / kSwatchGrid);
}

glm::vec3 swatchColour(Swatch swatch) {
    return kSwatchColours[static_cast<int>(swatch)];
}

glm::vec2 pictureUv(int row, int column, glm::vec2 withinCell) {
    return glm::vec2((column + 0.5f + withinCell.x) / 3.0f, (row + 0.5f + withinCell.y) / 3.0f);
}

Image paintSky() {
    const int n = 512;
    Image img(n, n);
    const float horizon = 0.58f * n;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            glm::vec3 c(0.0f);
            if (y < horizon) {
                float t = y / horizon;
                c = glm::mix(glm::vec3(0.16f, 0.36f, 0.75f), glm::vec3(0.75f, 0.86f, 0.96f), t * t);
                float cloud =
                    std::clamp((fbm(x / 90.0f, y / 35.0f, 5, 121u) - 0.55f) * 4.0f, 0.0f, 1.0f);
                c = glm::mix(c, glm::vec3(0.98f, 0.98f, 1.0f), cloud * 0.85f);
            } else {
                float t = (y - horizon) / (n - horizon);
                c = glm::mix(glm::vec3(0.42f, 0.58f, 0.30f), glm::vec3(0.22f, 0.34f, 0.14f), t);
                c *= 0.85f + 0.3f * fbm(x / 20.0f, y / 8.0f, 4, 122u);
            }
            img.at(x, y) = clamp01(c);
        }
    }
    // Distant hills along the horizon.
    for (int x = 0; x < n; ++x) {
        float h = 18.0f + 26.0f * fbm(x / 80.0f, 0.5f, 3, 123u);
        fillRect(img, static_cast<float>(x), horizon - h, x + 1.0f, horizon,
                 glm::vec3(0.30f, 0.45f, 0.32f) * (0.9f + 0.2f * hash01(x, 0, 124u)));
    }
    return img;
}

std::vector<TextureImage> paintTextures() {
    std::vector<TextureImage> list;
    list.push_back({"boards", paintBoards()});
    list.push_back({"plaster", paintPlaster()});
    list.push_back({"stone", paintStone()});
    list.push_back({"tiles", paintTiles()});
    list.push_back({"roof", paintRoof()});
    list.push_back({"lawn", paintLawn()});
    list.push_back({"wood", paintWood()});
    list.push_back({"metal", paintMetal()});
    list.push_back({"statue", paintStatue()});
    list.push_back({"palette", paintPalette()});
    list.push_back({"picture", paintPicture()});
    return list;
}
