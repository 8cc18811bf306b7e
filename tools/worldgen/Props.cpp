#include "Props.h"

#include <cmath>
#include <cstdint>

#include <glm/gtc/matrix_transform.hpp>

#include "ObjWriter.h"
#include "Textures.h"

namespace {

constexpr float kPi = 3.14159265358979f;

UvMap colour(Swatch s) {
    return flatAt(swatchUv(s));
}

// A tapered round limb from p0 to p1 (radius r0 at p0, r1 at p1).
void addLimb(Part& part, glm::vec3 p0, glm::vec3 p1, float r0, float r1, int segments,
             const UvMap& map) {
    glm::vec3 d = p1 - p0;
    float len = glm::length(d);
    if (len < 1e-6f) {
        return;
    }
    std::size_t first = part.vertices.size();
    addCylinder(part, glm::vec3(0.0f), r0, r1, len, segments, map);
    glm::vec3 dir = d / len;
    glm::vec3 up(0.0f, 1.0f, 0.0f);
    glm::mat4 m = glm::translate(glm::mat4(1.0f), p0);
    glm::vec3 axis = glm::cross(up, dir);
    float s = glm::length(axis);
    float c = glm::dot(up, dir);
    if (s > 1e-6f) {
        m = glm::rotate(m, std::atan2(s, c), axis / s);
    } else if (c < 0.0f) {
        m = glm::rotate(m, kPi, glm::vec3(1.0f, 0.0f, 0.0f));
    }
    transformFrom(part, first, m);
}

// A star outline in (x, z) with `points` tips.
std::vector<glm::vec2> starOutline(int points, float outer, float inner, float turn) {
    std::vector<glm::vec2> outline;
    for (int i = 0; i < points * 2; ++i) {
        float a = turn + kPi * static_cast<float>(i) / static_cast<float>(points);
        float r = (i % 2 == 0) ? outer : inner;
        outline.push_back({r * std::sin(a), -r * std::cos(a)});
    }
    return outline;
}

std::vector<glm::vec2> circleOutline(int segments, float radius) {
    std::vector<glm::vec2> outline;
    for (int i = 0; i < segments; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        outline.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    return outline;
}

std::vector<glm::vec2> squareOutline(float half) {
    return {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
}

}  // namespace

Shape buildCompanionBody() {
    Shape s;
    Part& p = s.part("palette");
    // Tunic: wide across z (the figure walks along x and sideways along z).
    addCylinder(p, {0.0f, -0.48f, 0.0f}, 0.34f, 0.26f, 0.62f, 20, colour(kTeal), 1.45f);
    addSphere(p, {0.0f, 0.12f, 0.0f}, {0.27f, 0.13f, 0.42f}, 20, 8, colour(kTeal));
    addCylinder(p, {0.0f, -0.26f, 0.0f}, 0.315f, 0.31f, 0.08f, 20, colour(kLeather), 1.45f);
    addBox(p, {-0.33f, -0.26f, -0.07f}, {0.33f, -0.17f, 0.07f}, colour(kBrass));
    // Buttons on both sides: the figure has no back.
    for (float side : {-1.0f, 1.0f}) {
        for (float y : {-0.05f, 0.07f}) {
            addSphere(p, {side * 0.27f, y, 0.0f}, glm::vec3(0.035f), 8, 4, colour(kWhite));
        }
    }
    addCylinder(p, {0.0f, 0.15f, 0.0f}, 0.11f, 0.1f, 0.25f, 12, colour(kSkin));
    addSphere(p, {0.0f, 0.8f, 0.0f}, {0.37f, 0.37f, 0.37f}, 20, 12, colour(kSkin));
    // A visor band all round the head with a pair of glowing eyes on each side.
    addCylinder(p, {0.0f, 0.72f, 0.0f}, 0.385f, 0.385f, 0.17f, 24, colour(kVisor));
    for (float side : {-1.0f, 1.0f}) {
        for (float z : {-0.13f, 0.13f}) {
            addSphere(p, {side * 0.37f, 0.805f, z}, {0.04f, 0.055f, 0.055f}, 10, 6,
                      colour(kGlowCyan));
        }
        // A small smile below the visor.
        addBox(p, {side > 0.0f ? 0.33f : -0.37f, 0.6f, -0.08f},
               {side > 0.0f ? 0.37f : -0.33f, 0.63f, 0.08f}, colour(kLeather));
    }
    // A knitted cap with a bobble.
    addCylinder(p, {0.0f, 1.06f, 0.0f}, 0.4f, 0.4f, 0.05f, 20, colour(kRed));
    addCylinder(p, {0.0f, 1.11f, 0.0f}, 0.3f, 0.2f, 0.28f, 16, colour(kRed));
    addSphere(p, {0.0f, 1.44f, 0.0f}, glm::vec3(0.08f), 10, 6, colour(kWhite));
    return s;
}

Shape buildCompanionLeg() {
    Shape s;
    Part& p = s.part("palette");
    // The leg hangs from the hip at the origin, on the +z side; the other leg is the same model
    // placed 0.5 further along -z.
    addSphere(p, {0.0f, -0.02f, 0.25f}, glm::vec3(0.13f), 12, 6, colour(kBlue));
    addCylinder(p, {0.0f, -1.1f, 0.25f}, 0.11f, 0.13f, 1.08f, 12, colour(kBlue));
    // The shoe reaches forward and back alike: the figure walks both ways.
    addBox(p, {-0.2f, -1.28f, 0.13f}, {0.2f, -1.12f, 0.37f}, colour(kLeather));
    addSphere(p, {0.2f, -1.2f, 0.25f}, {0.06f, 0.08f, 0.12f}, 8, 4, colour(kLeather));
    addSphere(p, {-0.2f, -1.2f, 0.25f}, {0.06f, 0.08f, 0.12f}, 8, 4, colour(kLeather));
    return s;
}

Shape buildCompanionArm() {
    Shape s;
    Part& p = s.part("palette");
    // Close to the body: walking through a doorway the arm passes the opened leaf's hinge.
    const float z = 0.56f;
    addSphere(p, {0.0f, 0.0f, z}, glm::vec3(0.12f), 12, 6, colour(kTeal));
    addCylinder(p, {0.0f, -0.6f, z}, 0.1f, 0.11f, 0.6f, 12, colour(kTeal));
    addCylinder(p, {0.0f, -0.84f, z}, 0.08f, 0.085f, 0.26f, 10, colour(kSkin));
    addSphere(p, {0.0f, -0.88f, z}, {0.1f, 0.09f, 0.1f}, 10, 6, colour(kSkin));
    return s;
}

Shape buildFlower() {
    Shape s;
    Part& p = s.part("palette");
    addCylinder(p, {0.0f, -1.0f, 0.0f}, 0.07f, 0.06f, 3.2f, 8, colour(kLeaf));
    // Two leaves on the stem.
    addSphere(p, {0.3f, 0.9f, 0.0f}, {0.3f, 0.08f, 0.12f}, 10, 4, colour(kLeaf));
    addSphere(p, {-0.28f, 1.5f, 0.0f}, {0.28f, 0.08f, 0.11f}, 10, 4, colour(kLeaf));
    // The bloom faces both ways along z.
    const glm::vec3 centre(0.0f, 2.4f, 0.0f);
    for (int i = 0; i < 7; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / 7.0f;
        addSphere(p, centre + glm::vec3(0.42f * std::cos(a), 0.42f * std::sin(a), 0.0f),
                  {0.28f, 0.28f, 0.07f}, 10, 6, colour(kPetal));
    }
    addSphere(p, centre, {0.24f, 0.24f, 0.14f}, 12, 6, colour(kPollen));
    return s;
}

Shape buildStatue(int variant) {
    Shape s;
    Part& stone = s.part("statue");
    Part& glow = s.part("palette");
    const UvMap map = planar(0.35f);
    // Plinth, then a robe that widens towards a ragged hem.
    addBox(stone, {-0.21f, 0.06f, -0.21f}, {0.21f, 0.14f, 0.21f}, map);
    addCylinder(stone, {0.0f, 0.14f, 0.0f}, 0.19f, 0.11f, 0.66f, 14, map);
    for (int i = 0; i < 9; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / 9.0f;
        glm::vec3 base(0.175f * std::cos(a), 0.14f, -0.175f * std::sin(a));
        addLimb(stone, base, base + glm::vec3(0.04f * std::cos(a), 0.16f, -0.04f * std::sin(a)),
                0.045f, 0.0f, 5, map);
    }
    // Hunched shoulders and a hooded, horned head leaning forward (+z).
    addSphere(stone, {0.0f, 0.79f, 0.02f}, {0.18f, 0.08f, 0.12f}, 12, 6, map);
    addSphere(stone, {0.0f, 0.93f, 0.05f}, {0.1f, 0.12f, 0.1f}, 12, 8, map);
    addLimb(stone, {0.0f, 0.83f, 0.0f}, {0.0f, 1.2f, -0.05f}, 0.13f, 0.0f, 12, map);
    for (float side : {-1.0f, 1.0f}) {
        addLimb(stone, {side * 0.07f, 1.02f, 0.0f}, {side * 0.2f, 1.3f, -0.04f}, 0.035f, 0.0f, 8,
                map);
    }
    // A hollow face with burning eyes and teeth.
    addSphere(glow, {0.0f, 0.92f, 0.1f}, {0.07f, 0.085f, 0.045f}, 10, 6, colour(kVisor));
    for (float side : {-1.0f, 1.0f}) {
        addSphere(glow, {side * 0.033f, 0.945f, 0.14f}, {0.022f, 0.014f, 0.01f}, 8, 4,
                  colour(kGlowRed));
    }
    for (int i = 0; i < 5; ++i) {
        float x = -0.036f + 0.018f * static_cast<float>(i);
        addLimb(glow, {x, 0.885f, 0.137f}, {x, 0.86f, 0.14f}, 0.008f, 0.0f, 4, colour(kWhite));
    }
    // Arms: statue 1 reaches for the player, statue 2 raises its claws over its head.
    for (float side : {-1.0f, 1.0f}) {
        glm::vec3 shoulder(side * 0.16f, 0.78f, 0.02f);
        glm::vec3 elbow = variant == 1 ? glm::vec3(side * 0.19f, 0.74f, 0.2f)
                                       : glm::vec3(side * 0.26f, 0.98f, 0.08f);
        glm::vec3 hand = variant == 1 ? glm::vec3(side * 0.14f, 0.76f, 0.38f)
                                      : glm::vec3(side * 0.22f, 1.22f, 0.16f);
        addLimb(stone, shoulder, elbow, 0.045f, 0.035f, 8, map);
        addLimb(stone, elbow, hand, 0.035f, 0.028f, 8, map);
        addSphere(stone, hand, glm::vec3(0.035f), 8, 4, map);
        glm::vec3 reach = glm::normalize(hand - elbow);
        glm::vec3 across(1.0f, 0.0f, 0.0f);
        glm::vec3 curl = glm::normalize(glm::cross(reach, across));
        for (int f = 0; f < 4; ++f) {
            float spread = (static_cast<float>(f) - 1.5f) * 0.022f;
            glm::vec3 knuckle = hand + across * spread + reach * 0.02f;
            glm::vec3 tip = knuckle + reach * 0.1f + curl * 0.03f * side + across * spread * 0.8f;
            addLimb(stone, knuckle, tip, 0.011f, 0.0f, 5, map);
        }
    }
    if (variant == 2) {
        // Tattered wings on the back.
        for (float side : {-1.0f, 1.0f}) {
            glm::vec3 root(side * 0.08f, 0.8f, -0.1f);
            glm::vec3 tips[3] = {{side * 0.42f, 1.15f, -0.22f},
                                 {side * 0.45f, 0.85f, -0.24f},
                                 {side * 0.34f, 0.55f, -0.2f}};
            for (int i = 0; i < 2; ++i) {
                // Two faces a hair apart, each moved towards its own side, so that whichever
                // faces the viewer is also the nearer one.
                const glm::vec3 side1 =
                    glm::normalize(glm::cross(tips[i] - root, tips[i + 1] - root)) * 0.004f;
                addMappedTriangle(stone, root + side1, tips[i] + side1, tips[i + 1] + side1, map);
                addMappedTriangle(stone, root - side1, tips[i + 1] - side1, tips[i] - side1, map);
            }
            addLimb(stone, root, tips[0], 0.02f, 0.008f, 5, map);
        }
    }
    return s;
}

Shape buildRewardBox() {
    Shape s;
    Part& wood = s.part("wood");
    Part& metal = s.part("metal");
    const UvMap map = planar(0.6f);
    const float h = 0.55f;
    const float t = 0.07f;
    addBox(wood, {-h, -0.5f, -h}, {h, -0.42f, h}, map);
    addBox(wood, {h - t, -0.42f, -h}, {h, 0.5f, h}, map);
    addBox(wood, {-h, -0.42f, -h}, {-h + t, 0.5f, h}, map);
    addBox(wood, {-h + t, -0.42f, h - t}, {h - t, 0.5f, h}, map);
    addBox(wood, {-h + t, -0.42f, -h}, {h - t, 0.5f, -h + t}, map);
    // Iron corner guards and a band below the rim.
    const UvMap metalMap = planar(0.5f);
    for (float sx : {-1.0f, 1.0f}) {
        for (float sz : {-1.0f, 1.0f}) {
            glm::vec3 lo(sx > 0.0f ? h - 0.1f : -h - 0.012f, -0.51f,
                         sz > 0.0f ? h - 0.1f : -h - 0.012f);
            addBox(metal, lo, lo + glm::vec3(0.112f, 1.0f, 0.112f), metalMap);
        }
    }
    addBox(metal, {-h - 0.008f, 0.3f, -h - 0.008f}, {h + 0.008f, 0.36f, h + 0.008f}, metalMap,
           (1u << kPosY) | (1u << kNegY));
    return s;
}

Shape buildRewardLid() {
    Shape s;
    Part& wood = s.part("wood");
    Part& p = s.part("palette");
    addBox(wood, {-0.56f, 0.5f, -0.56f}, {0.56f, 0.63f, 0.56f}, planar(0.6f));
    addBox(p, {-0.575f, 0.5f, -0.575f}, {0.575f, 0.56f, 0.575f}, colour(kSteel),
           (1u << kPosY) | (1u << kNegY));
    addBox(p, {-0.3f, 0.63f, -0.06f}, {0.3f, 0.65f, 0.06f}, colour(kSteel));
    addSphere(p, {0.0f, 0.68f, 0.0f}, {0.09f, 0.05f, 0.09f}, 10, 5, colour(kBrass));
    return s;
}

Shape buildKey(int variant) {
    Shape s;
    Part& p = s.part("palette");
    UvMap m = colour(variant == 1 ? kBrass : kSteel);
    if (variant == 1) {
        addTorus(p, {-1.32f, 0.0f, 0.0f}, 0.52f, 0.16f, 0.15f, 20, 8, m);
    } else {
        // A diamond-shaped bow with a jewel in the middle.
        addTorus(p, {-1.32f, 0.0f, 0.0f}, 0.55f, 0.14f, 0.15f, 4, 8, m);
        addSphere(p, {-1.32f, 0.0f, 0.0f}, {0.18f, 0.12f, 0.18f}, 10, 6, colour(kBlue));
    }
    addBox(p, {-0.62f, -0.15f, -0.2f}, {-0.5f, 0.15f, 0.2f}, m);
    addBox(p, {-0.8f, -0.12f, -0.11f}, {1.95f, 0.12f, 0.11f}, m);
    // The bit: two teeth with a notch between them.
    addBox(p, {1.3f, -0.12f, 0.11f}, {1.52f, 0.12f, 0.72f}, m);
    addBox(p, {1.72f, -0.12f, 0.11f}, {1.95f, 0.12f, variant == 1 ? 0.55f : 0.7f}, m);
    if (variant == 2) {
        // The steel key has a double bit.
        addBox(p, {1.5f, -0.12f, -0.6f}, {1.8f, 0.12f, -0.11f}, m);
    }
    return s;
}

Shape buildPiece(int piece) {
    Shape s;
    Part& p = s.part("palette");
    if (piece == 1) {
        // A red cube.
        addBox(p, {-0.08f, 0.0f, -0.08f}, {0.08f, 0.16f, 0.08f}, colour(kRed));
    } else if (piece == 2) {
        // A blue round drum.
        addCylinder(p, {0.0f, 0.0f, 0.0f}, 0.085f, 0.085f, 0.2f, 24, colour(kBlue));
    } else {
        // A yellow five-pointed star.
        addPrism(p, starOutline(5, 0.098f, 0.042f, 0.0f), 0.0f, 0.12f, colour(kYellow));
    }
    return s;
}

Shape buildPlace(int place) {
    Shape s;
    addBox(s.part("tiles"), {-0.12f, -0.1f, -0.12f}, {0.12f, 0.0f, 0.12f}, planar(0.5f));
    Part& p = s.part("palette");
    // The piece that belongs here: place 1 takes piece 3, place 2 piece 2, place 3 piece 1. The
    // plinth carries that piece's outline in its colour, a little larger than the piece, and a
    // band of the colour around its sides.
    Swatch c = place == 3 ? kRed : place == 2 ? kBlue : kYellow;
    std::vector<glm::vec2> outline = place == 3   ? squareOutline(0.095f)
                                     : place == 2 ? circleOutline(24, 0.1f)
                                                  : starOutline(5, 0.112f, 0.052f, 0.0f);
    addPrism(p, outline, 0.0f, 0.004f, colour(c));
    addBox(p, {-0.123f, -0.06f, -0.123f}, {0.123f, -0.035f, 0.123f}, colour(c),
           (1u << kPosY) | (1u << kNegY));
    return s;
}

Shape buildDoor() {
    Shape s;
    Part& wood = s.part("wood");
    // The leaf: 0.2 thick (x), 4.5 high (y), 2.5 wide (z). The opening rotation turns it about
    // the vertical line x = 0.1413, z = 0.7778, so the hinge sits on that edge.
    const float x0 = 0.1413f, x1 = 0.3413f;
    const float z0 = -1.7222f, z1 = 0.7778f;
    const float y0 = -1.9f, y1 = 2.6f;
    addBox(wood, {x0, y0, z0}, {x1, y1, z1}, planar(1.5f));
    // Raised panels on both faces, two per face.
    const float panelY[2][2] = {{-1.6f, 0.15f}, {0.65f, 2.3f}};
    for (const auto& py : panelY) {
        addBox(wood, {x0 - 0.025f, py[0], z0 + 0.3f}, {x0, py[1], z1 - 0.3f}, planar(1.0f),
               1u << kPosX);
        addBox(wood, {x1, py[0], z0 + 0.3f}, {x1 + 0.025f, py[1], z1 - 0.3f}, planar(1.0f),
               1u << kNegX);
    }
    Part& brass = s.part("palette");
    // Knobs on both faces, away from the hinge.
    for (float side : {-1.0f, 1.0f}) {
        float face = side > 0.0f ? x1 : x0;
        glm::vec3 root(face, 0.4f, -1.45f);
        glm::vec3 tip = root + glm::vec3(side * 0.16f, 0.0f, 0.0f);
        addLimb(brass, root, tip, 0.035f, 0.035f, 8, colour(kBrass));
        addSphere(brass, tip, glm::vec3(0.08f), 10, 6, colour(kBrass));
        addBox(brass, {face - 0.01f, 0.2f, -1.55f}, {face + 0.01f, 0.65f, -1.35f}, colour(kBrass));
    }
    // Hinge knuckles on the hinge edge.
    for (float y : {-1.4f, 1.9f}) {
        addCylinder(brass, {x0 + 0.03f, y, z1 - 0.03f}, 0.05f, 0.05f, 0.4f, 8, colour(kSteel));
    }
    return s;
}

int boardRow(int cell) {
    static const int rows[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    return rows[cell];
}

int boardColumn(int cell) {
    static const int columns[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
    return columns[cell];
}

int initialCell(int tile) {
    static const int cells[8] = {0, 1, 2, 3, 4, 5, 8, 7};
    return cells[tile];
}

namespace {

// The board is seen from the pinned camera looking along -x: the picture's up is -x and its
// right is -z. Picture cell (row, column) of a board cell.
int pictureRowOfCell(int cell) {
    return boardRow(cell);
}
int pictureColumnOfCell(int cell) {
    return 2 - boardColumn(cell);
}

// Where tile t lies in the solved board.
int solvedCell(int tile) {
    static const int cells[8] = {2, 1, 0, 5, 4, 3, 8, 7};
    return cells[tile];
}

// The top face of a square centred at (cx, cz) showing picture cell (row, column); `pitch` is
// the width that shows the whole cell.
void addPictureSquare(Part& part, float cx, float cz, float half, float y, int row, int column,
                      float pitch) {
    auto uv = [&](float dx, float dz) {
        return pictureUv(row, column, glm::vec2(-dz / pitch, dx / pitch));
    };
    glm::vec3 a(cx - half, y, cz + half), b(cx + half, y, cz + half), c(cx + half, y, cz - half),
        d(cx - half, y, cz - half);
    addQuad(part, a, b, c, d, uv(-half, half), uv(half, half), uv(half, -half), uv(-half, -half));
}

}  // namespace

Shape buildBoard() {
    Shape s;
    Part& wood = s.part("wood");
    const float h = 0.425f;
    const float rim = 0.04f;
    addBox(wood, {-h, 0.0f, -h}, {h, 0.05f, h}, planar(0.5f));
    addBox(wood, {-h, 0.05f, -h}, {-h + rim, 0.09f, h}, planar(0.5f));
    addBox(wood, {h - rim, 0.05f, -h}, {h, 0.09f, h}, planar(0.5f));
    addBox(wood, {-h + rim, 0.05f, -h}, {h - rim, 0.09f, -h + rim}, planar(0.5f));
    addBox(wood, {-h + rim, 0.05f, h - rim}, {h - rim, 0.09f, h}, planar(0.5f));
    addMappedQuad(s.part("palette"), {-h + rim, 0.0502f, h - rim}, {h - rim, 0.0502f, h - rim},
                  {h - rim, 0.0502f, -h + rim}, {-h + rim, 0.0502f, -h + rim}, colour(kFelt));
    // The cell left empty in the solved board shows its ninth of the picture as a hint.
    const int emptyCell = 6;
    addPictureSquare(s.part("picture"), 0.25f * static_cast<float>(boardRow(emptyCell) - 1),
                     0.25f * static_cast<float>(boardColumn(emptyCell) - 1), 0.115f, 0.0504f,
                     pictureRowOfCell(emptyCell), pictureColumnOfCell(emptyCell), 0.23f);
    return s;
}

Shape buildTile(int tile) {
    Shape s;
    int cell = initialCell(tile);
    float cx = 0.25f * static_cast<float>(boardRow(cell) - 1);
    float cz = 0.25f * static_cast<float>(boardColumn(cell) - 1);
    // Tile 6 is drawn with an extra shift of -0.525 along z, so its model carries +0.525.
    if (tile == 6) {
        cz += 0.525f;
    }
    const float half = 0.12f;
    // One image per tile: the sides take the gold of the picture's frame.
    addBox(s.part("picture"), {cx - half, 0.05f, cz - half}, {cx + half, 0.0985f, cz + half},
           flatAt(glm::vec2(0.006f, 0.5f)), 1u << kPosY);
    int target = solvedCell(tile);
    // The top shows its whole ninth, so that shapes run on unbroken across the gap between two
    // tiles that belong together.
    addPictureSquare(s.part("picture"), cx, cz, half, 0.1f, pictureRowOfCell(target),
                     pictureColumnOfCell(target), 2.0f * half);
    return s;
}

Shape buildHiddenBox() {
    Shape s;
    Part& wood = s.part("wood");
    const UvMap map = planar(0.8f);
    const float x0 = 0.025f, x1 = 0.975f, y0 = 0.075f, y1 = 1.025f, z0 = 0.1f, z1 = 0.9f;
    const float t = 0.06f;
    addBox(wood, {x0, y0, z0}, {x1, y0 + t, z1}, map);
    addBox(wood, {x0, y0 + t, z0}, {x0 + t, y1, z1}, map);
    addBox(wood, {x1 - t, y0 + t, z0}, {x1, y1, z1}, map);
    addBox(wood, {x0 + t, y0 + t, z0}, {x1 - t, y1, z0 + t}, map);
    addBox(wood, {x0 + t, y0 + t, z1 - t}, {x1 - t, y1, z1}, map);
    // Iron corners and a lock plate on the front (+x), opposite the hinge. Flat palette colours
    // keep the eight boxes at two images each.
    Part& p = s.part("palette");
    for (float x : {x0, x1}) {
        for (float z : {z0, z1}) {
            glm::vec3 lo(x - 0.012f, y0, z - 0.012f);
            addBox(p, lo, lo + glm::vec3(0.024f, y1 - y0, 0.024f), colour(kSteel));
        }
    }
    addBox(p, {x1, 0.78f, 0.42f}, {x1 + 0.015f, 0.98f, 0.58f}, colour(kBrass));
    addBox(p, {x1 + 0.015f, 0.84f, 0.49f}, {x1 + 0.02f, 0.93f, 0.51f}, colour(kVisor));
    return s;
}

Shape buildHiddenTop() {
    Shape s;
    addBox(s.part("wood"), {0.025f, 1.025f, 0.1f}, {0.975f, 1.1f, 0.9f}, planar(0.8f));
    // Iron straps across the top and a brass hasp that hangs over the lock. The palette part
    // comes last: the plates drawn right after the tops sample what it leaves bound.
    Part& p = s.part("palette");
    for (float z : {0.25f, 0.75f}) {
        addBox(p, {0.02f, 1.1f, z - 0.04f}, {0.98f, 1.112f, z + 0.04f}, colour(kSteel));
    }
    addBox(p, {0.975f, 0.96f, 0.45f}, {0.99f, 1.1f, 0.55f}, colour(kBrass));
    return s;
}

Shape buildInsert() {
    Shape s;
    // A false bottom with a red cross: "nothing in here".
    Part& p = s.part("palette");
    addBox(p, {0.09f, 0.55f, 0.165f}, {0.91f, 0.6f, 0.835f}, colour(kLeather));
    for (float sign : {-1.0f, 1.0f}) {
        std::size_t first = p.vertices.size();
        addBox(p, {-0.32f, 0.0f, -0.035f}, {0.32f, 0.012f, 0.035f}, colour(kRed));
        glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 0.6f, 0.5f));
        m = glm::rotate(m, sign * kPi / 4.0f, glm::vec3(0.0f, 1.0f, 0.0f));
        transformFrom(p, first, m);
    }
    return s;
}

Shape buildPlate(float centreX, float centreZ, const char* material) {
    Shape s;
    addBox(s.part(material), {centreX - 0.2f, 0.19f, centreZ - 0.2f},
           {centreX + 0.2f, 0.21f, centreZ + 0.2f}, colour(kSteel));
    return s;
}

Shape buildPlaceholder() {
    Shape s;
    // Loaded but never drawn: no image to decode.
    addBox(s.part(kMirrorMaterial), glm::vec3(-0.01f), glm::vec3(0.01f), colour(kWhite));
    return s;
}

Shape buildMirrorCube() {
    Shape s;
    Part& p = s.part(kMirrorMaterial);
    // Built in world units, then taken into the frame of the cube's matrix (scale 2 after a turn
    // of 3 pi / 2 about y), so the sculpture stands on the lawn east of the house.
    const glm::vec3 foot(2.2f, 6.0f, -3.5f);
    addCylinder(p, foot, 0.22f, 0.16f, 1.2f, 16, planar(0.5f));
    std::size_t first = p.vertices.size();
    addBox(p, glm::vec3(-0.26f), glm::vec3(0.26f), planar(0.5f));
    glm::mat4 m = glm::translate(glm::mat4(1.0f), foot + glm::vec3(0.0f, 1.62f, 0.0f));
    m = glm::rotate(m, kPi / 4.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    // Stand the cube on a corner.
    m = glm::rotate(m, 0.9553166f, glm::vec3(1.0f, 0.0f, 0.0f));
    m = glm::rotate(m, kPi / 4.0f, glm::vec3(0.0f, 0.0f, 1.0f));
    transformFrom(p, first, m);
    glm::mat4 placement = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    placement = glm::rotate(placement, 4.712389f, glm::vec3(0.0f, 1.0f, 0.0f));
    transformShape(s, glm::inverse(placement));
    return s;
}
