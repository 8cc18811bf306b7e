#include "House.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "ObjWriter.h"
#include "Textures.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// A hole in a wall: [a0, a1] along the wall, [y0, y1] in height. Windows get a frame and a
// sill; door holes stay bare so that the leaves swing freely, unless the door never opens.
struct Opening {
    float a0 = 0.0f;
    float a1 = 0.0f;
    float y0 = 0.0f;
    float y1 = 0.0f;
    bool window = false;
    // A doorway whose door never opens: boarded up on both faces of the wall.
    bool sealed = false;
};

// A straight wall. `alongZ` walls run along z with their thickness on x (t0..t1); the others run
// along x with their thickness on z. `outward` is +1 or -1 when the face on the +t or -t side is
// the outside of the house (stone there), 0 for inner walls (plaster on both sides).
struct Wall {
    bool alongZ = true;
    float t0 = 0.0f;
    float t1 = 0.0f;
    float a0 = 0.0f;
    float a1 = 0.0f;
    float y0 = 0.0f;
    float y1 = 0.0f;
    int outward = 0;
    std::vector<Opening> openings;
};

const UvMap kWallMap = planar(0.6f);

Opening door(float a0, float a1, float y0, float y1) {
    return {a0, a1, y0, y1, false, false};
}

// The doorway of a door that never opens.
Opening sealedDoor(float a0, float a1, float y0, float y1) {
    return {a0, a1, y0, y1, false, true};
}

// A window whose sill sits `sill` above the floor `floor`.
Opening window(float a0, float a1, float floor, float sill = 0.42f, float height = 0.5f) {
    return {a0, a1, floor + sill, floor + sill + height, true, false};
}

// World-space box of a wall piece.
void wallBox(const Wall& w, float a0, float a1, float y0, float y1, glm::vec3& lo, glm::vec3& hi) {
    if (w.alongZ) {
        lo = {w.t0, y0, a0};
        hi = {w.t1, y1, a1};
    } else {
        lo = {a0, y0, w.t0};
        hi = {a1, y1, w.t1};
    }
}

void addWallPiece(Shape& house, const Wall& w, float a0, float a1, float y0, float y1) {
    if (a1 - a0 < 1e-4f || y1 - y0 < 1e-4f) {
        return;
    }
    glm::vec3 lo(0.0f), hi(0.0f);
    wallBox(w, a0, a1, y0, y1, lo, hi);
    std::string m[6] = {"plaster", "plaster", "plaster", "plaster", "plaster", "plaster"};
    const int plusT = w.alongZ ? kPosX : kPosZ;
    const int minusT = w.alongZ ? kNegX : kNegZ;
    const int plusA = w.alongZ ? kPosZ : kPosX;
    const int minusA = w.alongZ ? kNegZ : kNegX;
    if (w.outward > 0) {
        m[plusT] = "stone";
    } else if (w.outward < 0) {
        m[minusT] = "stone";
    }
    // The ends of an outer wall are corners of the house and show masonry too.
    if (w.outward != 0) {
        if (std::fabs(a1 - w.a1) < 1e-4f) {
            m[plusA] = "stone";
        }
        if (std::fabs(a0 - w.a0) < 1e-4f) {
            m[minusA] = "stone";
        }
    }
    // Tops and bottoms meet slabs; leave them out unless the wall ends below a slab.
    const UvMap maps[6] = {kWallMap, kWallMap, kWallMap, kWallMap, kWallMap, kWallMap};
    addBoxFaces(house, lo, hi, m, maps);
}

// Frame, cross bars and sill of a window hole.
void addWindowFrame(Shape& house, const Wall& w, const Opening& o) {
    Part& wood = house.part("wood");
    const UvMap map = planar(0.5f);
    const float f = 0.035f;
    const float depth0 = std::min(w.t0, w.t1) - 0.01f;
    const float depth1 = std::max(w.t0, w.t1) + 0.01f;
    auto piece = [&](float a0, float a1, float y0, float y1, float d0, float d1) {
        glm::vec3 lo(0.0f), hi(0.0f);
        Wall slab = w;
        slab.t0 = d0;
        slab.t1 = d1;
        wallBox(slab, a0, a1, y0, y1, lo, hi);
        addBox(wood, lo, hi, map);
    };
    piece(o.a0, o.a0 + f, o.y0, o.y1, depth0, depth1);
    piece(o.a1 - f, o.a1, o.y0, o.y1, depth0, depth1);
    piece(o.a0, o.a1, o.y0, o.y0 + f, depth0, depth1);
    piece(o.a0, o.a1, o.y1 - f, o.y1, depth0, depth1);
    float mid = 0.5f * (w.t0 + w.t1);
    float am = 0.5f * (o.a0 + o.a1);
    float ym = o.y0 + 0.62f * (o.y1 - o.y0);
    piece(am - 0.012f, am + 0.012f, o.y0, o.y1, mid - 0.015f, mid + 0.015f);
    piece(o.a0, o.a1, ym - 0.012f, ym + 0.012f, mid - 0.015f, mid + 0.015f);
    // A stone sill that sticks out of the outer face.
    if (w.outward != 0) {
        float outer = w.outward > 0 ? std::max(w.t0, w.t1) : std::min(w.t0, w.t1);
        float d0 = w.outward > 0 ? outer - 0.02f : outer - 0.06f;
        float d1 = w.outward > 0 ? outer + 0.06f : outer + 0.02f;
        glm::vec3 lo(0.0f), hi(0.0f);
        Wall slab = w;
        slab.t0 = d0;
        slab.t1 = d1;
        wallBox(slab, o.a0 - 0.05f, o.a1 + 0.05f, o.y0 - 0.04f, o.y0, lo, hi);
        addBox(house.part("stone"), lo, hi, planar(0.5f));
    }
}

// A plank from `from` to `to` (along the wall, height) lying flat on a wall face: `width` across
// its length, from depth d0 to d1 measured from the wall's t = 0 plane. Each face is turned to
// look away from the plank's middle.
void addPlank(Part& part, const Wall& w, glm::vec2 from, glm::vec2 to, float width, float d0,
              float d1, const UvMap& map = planar(0.5f)) {
    const glm::vec2 along = glm::normalize(to - from);
    const glm::vec2 across = glm::vec2(-along.y, along.x) * (0.5f * width);
    const auto at = [&](glm::vec2 ay, float t) {
        return w.alongZ ? glm::vec3(t, ay.y, ay.x) : glm::vec3(ay.x, ay.y, t);
    };
    const glm::vec2 outline[4] = {from - across, to - across, to + across, from + across};
    glm::vec3 c[8];
    for (int i = 0; i < 4; ++i) {
        c[i] = at(outline[i], d0);
        c[i + 4] = at(outline[i], d1);
    }
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    glm::vec3 middle(0.0f);
    for (const glm::vec3& p : c) {
        middle += p / 8.0f;
    }
    for (const auto& f : faces) {
        const glm::vec3 centre = 0.25f * (c[f[0]] + c[f[1]] + c[f[2]] + c[f[3]]);
        const glm::vec3 normal = glm::cross(c[f[1]] - c[f[0]], c[f[2]] - c[f[0]]);
        if (glm::dot(normal, centre - middle) >= 0.0f) {
            addMappedQuad(part, c[f[0]], c[f[1]], c[f[2]], c[f[3]], map);
        } else {
            addMappedQuad(part, c[f[3]], c[f[2]], c[f[1]], c[f[0]], map);
        }
    }
}

// Planks nailed across a doorway on both faces of its wall: three across and two crossed over
// them, reaching onto the wall beside, so that the door behind plainly never opens.
void addBoarding(Shape& house, const Wall& w, const Opening& o) {
    // Weathered dark planks, unlike the door's light leaf.
    Part& wood = house.part("boards");
    Part& iron = house.part("palette");
    const float lo = std::min(w.t0, w.t1);
    const float hi = std::max(w.t0, w.t1);
    for (const float side : {-1.0f, 1.0f}) {
        const float face = side > 0.0f ? hi : lo;
        const auto depth = [&](float d) { return face + side * d; };
        for (const float k : {0.2f, 0.5f, 0.8f}) {
            const float y = glm::mix(o.y0, o.y1, k);
            addPlank(wood, w, {o.a0 - 0.07f, y}, {o.a1 + 0.07f, y}, 0.08f, depth(0.002f),
                     depth(0.025f));
        }
        const glm::vec2 corners[2][2] = {{{o.a0, o.y0 + 0.06f}, {o.a1, o.y1 - 0.06f}},
                                         {{o.a1, o.y0 + 0.06f}, {o.a0, o.y1 - 0.06f}}};
        for (const auto& diagonal : corners) {
            addPlank(wood, w, diagonal[0], diagonal[1], 0.07f, depth(0.025f), depth(0.045f));
        }
        // A nail head where the crossed planks meet the middle one.
        const float ym = glm::mix(o.y0, o.y1, 0.5f);
        const float am = 0.5f * (o.a0 + o.a1);
        addPlank(iron, w, {am - 0.012f, ym}, {am + 0.012f, ym}, 0.024f, depth(0.045f), depth(0.05f),
                 flatAt(swatchUv(kSteel)));
    }
}

void addWall(Shape& house, Wall w) {
    std::sort(w.openings.begin(), w.openings.end(),
              [](const Opening& l, const Opening& r) { return l.a0 < r.a0; });
    float a = w.a0;
    for (const Opening& o : w.openings) {
        addWallPiece(house, w, a, o.a0, w.y0, w.y1);
        addWallPiece(house, w, o.a0, o.a1, w.y0, o.y0);
        addWallPiece(house, w, o.a0, o.a1, o.y1, w.y1);
        a = o.a1;
        if (o.window) {
            addWindowFrame(house, w, o);
        }
        if (o.sealed) {
            addBoarding(house, w, o);
        }
    }
    addWallPiece(house, w, a, w.a1, w.y0, w.y1);
}

Wall wallX(float x0, float x1, float z0, float z1, float y0, float y1, int outward,
           std::vector<Opening> openings = {}) {
    return Wall{true, x0, x1, z0, z1, y0, y1, outward, std::move(openings)};
}

Wall wallZ(float z0, float z1, float x0, float x1, float y0, float y1, int outward,
           std::vector<Opening> openings = {}) {
    return Wall{false, z0, z1, x0, x1, y0, y1, outward, std::move(openings)};
}

// A floor slab: `top` material on its upper face, plaster underneath, stone edges.
void addSlab(Shape& house, glm::vec3 lo, glm::vec3 hi, const std::string& top, float topSize = 0.6f,
             bool underside = true) {
    const std::string m[6] = {"stone", "stone", top, underside ? "plaster" : "", "stone", "stone"};
    const UvMap side = planar(0.6f);
    const UvMap maps[6] = {side, side, planar(topSize), side, side, side};
    addBoxFaces(house, lo, hi, m, maps);
}

// A solid stair step from the floor up to its tread.
void addStep(Shape& house, glm::vec3 lo, glm::vec3 hi) {
    const std::string m[6] = {"stone", "stone", "wood", "", "stone", "stone"};
    const UvMap side = planar(0.5f);
    const UvMap maps[6] = {side, side, planar(0.4f), side, side, side};
    addBoxFaces(house, lo, hi, m, maps);
}

void addRailing(Shape& house, glm::vec3 from, glm::vec3 to, float floor, float height) {
    Part& wood = house.part("wood");
    const UvMap map = planar(0.5f);
    glm::vec3 d = to - from;
    float len = glm::length(d);
    int posts = std::max(1, static_cast<int>(std::ceil(len / 0.45f)));
    glm::vec3 lo = glm::min(from, to) - glm::vec3(0.02f, 0.0f, 0.02f);
    glm::vec3 hi = glm::max(from, to) + glm::vec3(0.02f, 0.0f, 0.02f);
    addBox(wood, {lo.x, floor + height - 0.04f, lo.z}, {hi.x, floor + height, hi.z}, map);
    addBox(wood, {lo.x + 0.005f, floor + 0.08f, lo.z + 0.005f},
           {hi.x - 0.005f, floor + 0.11f, hi.z - 0.005f}, map);
    for (int i = 0; i <= posts; ++i) {
        glm::vec3 p = from + d * (static_cast<float>(i) / static_cast<float>(posts));
        addBox(wood, {p.x - 0.018f, floor, p.z - 0.018f},
               {p.x + 0.018f, floor + height, p.z + 0.018f}, map);
    }
}

// A gable roof over x0..x1 with its ridge along z, eaves at `eaves`, ridge at `ridge`.
void addGableRoof(Shape& house, float x0, float x1, float z0, float z1, float eaves, float ridge,
                  float wallTop, float overhang) {
    Part& roof = house.part("roof");
    const UvMap map = planar(0.8f);
    float xm = 0.5f * (x0 + x1);
    float ex0 = x0 - overhang, ex1 = x1 + overhang;
    float ez0 = z0 - overhang, ez1 = z1 + overhang;
    const float t = 0.06f;
    // Roof planes: upper surface, underside and the fascia along the eaves.
    addMappedQuad(roof, {ex0, eaves, ez1}, {xm, ridge, ez1}, {xm, ridge, ez0}, {ex0, eaves, ez0},
                  map);
    addMappedQuad(roof, {xm, ridge, ez1}, {ex1, eaves, ez1}, {ex1, eaves, ez0}, {xm, ridge, ez0},
                  map);
    Part& under = house.part("wood");
    addMappedQuad(under, {ex0, eaves - t, ez0}, {xm, ridge - t, ez0}, {xm, ridge - t, ez1},
                  {ex0, eaves - t, ez1}, planar(0.5f));
    addMappedQuad(under, {xm, ridge - t, ez0}, {ex1, eaves - t, ez0}, {ex1, eaves - t, ez1},
                  {xm, ridge - t, ez1}, planar(0.5f));
    addBox(under, {ex0 - 0.01f, eaves - t - 0.02f, ez0}, {ex0 + 0.01f, eaves + 0.01f, ez1},
           planar(0.5f));
    addBox(under, {ex1 - 0.01f, eaves - t - 0.02f, ez0}, {ex1 + 0.01f, eaves + 0.01f, ez1},
           planar(0.5f));
    // Gable ends in masonry, both faces.
    Part& stone = house.part("stone");
    float gableTop = ridge - t - 0.01f;
    for (float z : {z0, z1}) {
        for (float face : {-1.0f, 1.0f}) {
            float zz = z + face * 0.05f;
            glm::vec3 a(x0, wallTop, zz), b(x1, wallTop, zz), c(xm, gableTop, zz);
            if (face > 0.0f) {
                addMappedTriangle(stone, a, b, c, kWallMap);
            } else {
                addMappedTriangle(stone, b, a, c, kWallMap);
            }
        }
    }
}

// A pyramid roof over a rectangle.
void addPyramidRoof(Shape& house, float x0, float x1, float z0, float z1, float base, float apex) {
    Part& roof = house.part("roof");
    const UvMap map = planar(0.8f);
    glm::vec3 top(0.5f * (x0 + x1), apex, 0.5f * (z0 + z1));
    glm::vec3 c[4] = {{x0, base, z1}, {x1, base, z1}, {x1, base, z0}, {x0, base, z0}};
    for (int i = 0; i < 4; ++i) {
        addMappedTriangle(roof, c[i], c[(i + 1) % 4], top, map);
    }
}

void addTree(Shape& house, glm::vec3 foot, float height, std::uint32_t seed) {
    addCylinder(house.part("wood"), foot, 0.12f * height / 2.5f, 0.07f * height / 2.5f,
                height * 0.55f, 8, planar(0.5f));
    Part& leaves = house.part("palette");
    const UvMap green = flatAt(swatchUv(kLeaf));
    for (int i = 0; i < 3; ++i) {
        float a =
            2.0f * kPi * (static_cast<float>(i) / 3.0f + hash01(static_cast<int>(seed), i, 7u));
        glm::vec3 c = foot + glm::vec3(0.25f * std::cos(a), height * (0.62f + 0.12f * i),
                                       0.25f * std::sin(a)) *
                                 glm::vec3(height / 2.5f, 1.0f, height / 2.5f);
        float r = height * (0.26f - 0.04f * i);
        addSphere(leaves, c, glm::vec3(r, r * 0.85f, r), 10, 6, green);
    }
}

}  // namespace

glm::vec3 houseFromWorld(glm::vec3 world) {
    return (world - glm::vec3(-2.0f, 6.0f, -4.0f)) * 5.0f;
}

Shape buildHouse() {
    Shape house;
    // Part order fixes the mesh order in the file; list the big surfaces first.
    for (const char* m :
         {"lawn", "boards", "tiles", "plaster", "stone", "wood", "roof", "palette"}) {
        house.part(m);
    }

    // Main block x -4.76..0.504 (from the first floor up the east wall steps in to 0.104 above a
    // terrace), west stair tower x -6.85..-4.76, z -1.95..-0.05.
    const float gx0 = -6.85f, mx0 = -4.76f, mx1 = 0.504f, ux1 = 0.104f;
    const float z0 = -5.53f, z1 = 3.65f;
    const float tz0 = -1.95f, tz1 = -0.05f;
    const float f0 = kFloorGround, f1 = kFloorLevel1, f2 = kFloorLevel2, f3 = kFloorAttic;

    // Lawn: a large field so that no edge shows through a window.
    addMappedQuad(house.part("lawn"), {-30.0f, 5.999f, 30.0f}, {30.0f, 5.999f, 30.0f},
                  {30.0f, 5.999f, -30.0f}, {-30.0f, 5.999f, -30.0f}, planar(2.0f));
    // A flagstone path to the ground-floor door in the south wall.
    addSlab(house, {-1.75f, 5.999f, -12.0f}, {-1.13f, 6.02f, z0}, "tiles", 0.6f, false);

    // Slabs. Floors carry their own material on top, ceilings show plaster.
    addSlab(house, {gx0, 6.0f, z0}, {mx1, f0, z1}, "tiles", 1.0f, false);
    addSlab(house, {mx0, f1 - 0.1f, z0}, {-0.075f, f1, z1}, "boards");
    addSlab(house, {-0.075f, f1 - 0.1f, z0}, {mx1, f1, z1}, "tiles", 0.8f);
    addSlab(house, {gx0, f1 - 0.1f, tz0}, {mx0, f1, tz1}, "tiles", 0.8f);
    addSlab(house, {mx0, f2 - 0.1f, z0}, {ux1, f2, 0.489f}, "tiles", 0.8f);
    addSlab(house, {mx0, f2 - 0.1f, 0.489f}, {ux1, f2, z1}, "boards");
    // The level-2 platform in the tower: a bridge from door 3 to the stair core and the landing
    // at the top of the stair.
    addSlab(house, {-5.25f, f2 - 0.1f, -1.35f}, {mx0, f2, -0.65f}, "boards");
    addSlab(house, {-5.5f, f2 - 0.1f, -0.65f}, {mx0, f2, -0.15f}, "boards");
    // Attic floor with a void over the east end of level 3 and a balcony before door 6.
    addSlab(house, {mx0, f3 - 0.1f, z0}, {ux1, f3, -1.6f}, "boards");
    addSlab(house, {mx0, f3 - 0.1f, 0.439f}, {ux1, f3, z1}, "boards");
    addSlab(house, {mx0, f3 - 0.1f, -1.6f}, {-1.3f, f3, 0.439f}, "boards");
    addSlab(house, {-0.5f, f3 - 0.1f, -0.55f}, {ux1, f3, 0.439f}, "boards");
    // Ceilings under the roofs.
    addSlab(house, {gx0, 9.68f, tz0}, {mx0, 9.78f, tz1}, "plaster");
    addSlab(house, {mx0, 10.92f, z0}, {ux1, 11.02f, z1}, "plaster");

    // Stair core (box 2 with the board stands on it) and the stair winding around it, each
    // tread a little below the companion's soles at its lower edge.
    {
        const std::string m[6] = {"stone", "stone", "tiles", "", "stone", "stone"};
        const UvMap maps[6] = {kWallMap, kWallMap, planar(0.8f), kWallMap, kWallMap, kWallMap};
        addBoxFaces(house, {-6.25f, f1, -1.35f}, {-5.25f, f2, -0.65f}, m, maps);
    }
    // Flight along the south wall, rising westwards 0.3 per unit from the soles at 7.29.
    for (int i = 1; i < 10; ++i) {
        float xNear = -5.0f - 0.125f * static_cast<float>(i);
        float top = 7.285f + 0.3f * (-5.0f - xNear);
        addStep(house, {xNear - 0.125f, f1, -1.85f}, {xNear, top, -1.35f});
    }
    addStep(house, {-6.75f, f1, -1.85f}, {-6.25f, 7.66f, -1.35f});
    // Flight along the west wall, rising northwards 0.35 per unit.
    for (int j = 0; j < 6; ++j) {
        float zNear = -1.35f + 0.7f / 6.0f * static_cast<float>(j);
        float top = 7.735f + 0.35f * (zNear + 1.6f);
        addStep(house, {-6.75f, f1, zNear}, {-6.25f, top, zNear + 0.7f / 6.0f});
    }
    addStep(house, {-6.75f, f1, -0.65f}, {-6.25f, 8.0675f, -0.15f});
    // Flight along the north wall, rising eastwards 0.4 per unit up to the landing.
    for (int k = 0; k < 6; ++k) {
        float xNear = -6.25f + 0.125f * static_cast<float>(k);
        float top = 8.155f + 0.4f * (xNear + 6.5f);
        addStep(house, {xNear, f1, -0.65f}, {xNear + 0.125f, top, -0.15f});
    }

    // Ground storey (never visited; doors 8 and 7 lead in from the garden).
    addWall(house, wallX(0.404f, mx1, z0, z1, f0, f1 - 0.1f, +1,
                         {sealedDoor(-5.174f, -4.674f, f0, 7.0f), window(-3.2f, -2.4f, f0),
                          window(-0.4f, 0.4f, f0), window(1.8f, 2.6f, f0)}));
    addWall(house, wallZ(z0, -5.43f, mx0, mx1, f0, f1 - 0.1f, -1,
                         {sealedDoor(-1.69f, -1.19f, f0, 7.0f), window(-4.0f, -3.2f, f0),
                          window(-0.6f, 0.1f, f0)}));
    addWall(house,
            wallZ(3.55f, z1, mx0, mx1, f0, f1 - 0.1f, +1,
                  {window(-4.0f, -3.2f, f0), window(-2.6f, -1.8f, f0), window(-1.0f, -0.2f, f0)}));
    addWall(house,
            wallX(mx0, -4.66f, z0, z1, f0, f1 - 0.1f, -1,
                  {window(-4.4f, -3.6f, f0), window(0.8f, 1.6f, f0), window(2.4f, 3.2f, f0)}));

    // First storey: level 1 south of the partition, a closed store room north of it.
    addWall(house, wallX(-0.125f, -0.025f, z0, z1, f1, f2 - 0.1f, +1,
                         {sealedDoor(-5.174f, -4.674f, f1, 8.2f), window(-3.9f, -3.1f, f1),
                          window(-1.7f, -0.9f, f1), window(1.4f, 2.2f, f1)}));
    addWall(house, wallZ(z0, -5.43f, mx0, -0.025f, f1, f2 - 0.1f, -1,
                         {window(-3.4f, -2.6f, f1), window(-1.6f, -0.8f, f1)}));
    addWall(house, wallZ(3.55f, z1, mx0, -0.025f, f1, f2 - 0.1f, +1,
                         {window(-3.8f, -3.0f, f1), window(-1.6f, -0.8f, f1)}));
    addWall(house, wallX(mx0, -4.66f, z0, z1, f1, f2 - 0.1f, -1,
                         {door(-1.308f, -0.808f, f1, 8.2f), window(-4.3f, -3.5f, f1),
                          window(1.2f, 2.0f, f1)}));
    addWall(house, wallZ(0.439f, 0.539f, -4.66f, -0.125f, f1, f2 - 0.1f, 0));
    // Terrace railing in front of the first storey's east wall.
    addRailing(house, {0.455f, 0.0f, z0 + 0.03f}, {0.455f, 0.0f, z1 - 0.03f}, f1, 0.34f);

    // Second storey: level 3 south of the partition (no window faces south: the level-3 key
    // waits out there), level 4 north of it.
    addWall(house, wallX(0.004f, ux1, z0, z1, f2, f3 - 0.1f, +1,
                         {door(-0.412f, 0.088f, f2, 9.44f), window(-4.2f, -3.4f, f2),
                          window(-2.6f, -1.8f, f2), window(1.3f, 2.1f, f2)}));
    addWall(house, wallZ(z0, -5.43f, mx0, ux1, f2, f3 - 0.1f, -1));
    addWall(house, wallZ(3.55f, z1, mx0, ux1, f2, f3 - 0.1f, +1,
                         {window(-3.0f, -2.2f, f2), window(-0.9f, -0.3f, f2)}));
    addWall(house, wallX(mx0, -4.66f, z0, z1, f2, f3 - 0.1f, -1,
                         {door(-1.308f, -0.808f, f2, 9.44f), window(-4.2f, -3.4f, f2),
                          window(1.4f, 2.2f, f2)}));
    addWall(house, wallZ(0.439f, 0.539f, -4.66f, 0.004f, f2, f3 - 0.1f, 0,
                         {door(-2.61f, -2.05f, f2, 9.44f)}));

    // Attic with the final door 6 (east) and door 5 (south, never opens).
    addWall(house, wallX(0.004f, ux1, z0, z1, f3, 10.92f, +1,
                         {door(-0.412f, 0.088f, f3, 10.68f), window(-4.0f, -3.2f, f3),
                          window(1.6f, 2.4f, f3)}));
    addWall(house,
            wallZ(z0, -5.43f, mx0, ux1, f3, 10.92f, -1, {sealedDoor(-0.78f, -0.24f, f3, 10.68f)}));
    addWall(house, wallZ(3.55f, z1, mx0, ux1, f3, 10.92f, +1,
                         {window(-3.6f, -2.8f, f3), window(-1.8f, -1.0f, f3)}));
    addWall(house, wallX(mx0, -4.66f, z0, z1, f3, 10.92f, -1,
                         {window(-4.2f, -3.4f, f3), window(1.4f, 2.2f, f3)}));
    // Balcony railing along the void.
    addRailing(house, {-0.485f, 0.0f, -0.535f}, {-0.485f, 0.0f, 0.42f}, f3, 0.32f);
    addRailing(house, {-0.485f, 0.0f, -0.535f}, {-0.01f, 0.0f, -0.535f}, f3, 0.32f);

    // The stair tower: one shaft from the first floor to its ceiling, windows to the west and
    // north only.
    addWall(house, wallX(gx0, -6.75f, tz0, tz1, f0, f1 - 0.1f, -1, {window(-1.3f, -0.7f, f0)}));
    addWall(house, wallZ(tz0, -1.85f, -6.75f, mx0, f0, f1 - 0.1f, -1));
    addWall(house, wallZ(-0.15f, tz1, -6.75f, mx0, f0, f1 - 0.1f, +1, {window(-6.2f, -5.6f, f0)}));
    addWall(house,
            wallX(gx0, -6.75f, tz0, tz1, f1, 9.68f, -1, {window(-1.8f, -1.45f, f2, 0.1f, 0.6f)}));
    // The goal of the sliding-tile board, framed on the tower wall behind it, facing the board
    // camera: the whole picture, its right towards -z as the board shows it.
    {
        const float x = -6.75f, zc = -1.0f, yc = 9.12f, half = 0.3f, rim = 0.04f;
        addBox(house.part("wood"), {x, yc - half - rim, zc - half - rim},
               {x + 0.03f, yc + half + rim, zc + half + rim}, planar(0.5f));
        addQuad(house.part("picture"), {x + 0.032f, yc - half, zc + half},
                {x + 0.032f, yc - half, zc - half}, {x + 0.032f, yc + half, zc - half},
                {x + 0.032f, yc + half, zc + half}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f},
                {0.0f, 0.0f});
    }
    addWall(house, wallZ(tz0, -1.85f, -6.75f, mx0, f1, 9.68f, -1));
    addWall(house,
            wallZ(-0.15f, tz1, -6.75f, mx0, f1, 9.68f, +1,
                  {window(-5.4f, -4.9f, f1, 0.3f, 0.55f), window(-6.4f, -5.8f, f2, 0.4f, 0.5f)}));

    // Roofs: a gable over the main block, a pyramid over the tower.
    addGableRoof(house, mx0, ux1, z0, z1, 10.94f, 12.25f, 11.02f, 0.22f);
    addPyramidRoof(house, gx0 - 0.12f, mx0, tz0 - 0.12f, tz1 + 0.12f, 9.76f, 10.75f);

    // A few trees in the garden, seen from the windows.
    addTree(house, {4.0f, 6.0f, -7.0f}, 2.6f, 1u);
    addTree(house, {3.6f, 6.0f, 4.5f}, 2.2f, 2u);
    addTree(house, {-9.0f, 6.0f, 1.5f}, 2.8f, 3u);
    addTree(house, {-8.5f, 6.0f, -6.5f}, 2.3f, 4u);
    addTree(house, {-3.5f, 6.0f, 7.5f}, 2.5f, 5u);

    glm::mat4 toModel = glm::scale(glm::mat4(1.0f), glm::vec3(5.0f));
    toModel = glm::translate(toModel, glm::vec3(2.0f, -6.0f, 4.0f));
    transformShape(house, toModel);
    return house;
}

Shape buildLabyrinth() {
    Shape s;
    // Drawn only by the environment-mapping pass: a mirror without an image.
    Part& metal = s.part(kMirrorMaterial);
    const UvMap map = planar(0.6f);
    // A maze of 9 x 5 cells on the level-4 floor (house model frame), carved by a depth-first
    // walk driven by a fixed linear congruential sequence.
    const int cols = 9, rows = 5;
    const float x0 = -7.25f, z0 = 23.1f, cw = 1.0f, ch = 0.93f;
    const float floorY = 12.7f, baseTop = 12.76f, wallTop = 13.0f, t = 0.12f;
    std::vector<int> east(static_cast<std::size_t>(cols * rows), 1);
    std::vector<int> south(static_cast<std::size_t>(cols * rows), 1);
    std::vector<int> seen(static_cast<std::size_t>(cols * rows), 0);
    std::vector<int> stack = {0};
    seen[0] = 1;
    std::uint32_t lcg = 20240611u;
    while (!stack.empty()) {
        int c = stack.back();
        int cx = c % cols, cz = c / cols;
        int options[4] = {0, 0, 0, 0};
        int count = 0;
        const int dx[4] = {1, -1, 0, 0};
        const int dz[4] = {0, 0, 1, -1};
        for (int d = 0; d < 4; ++d) {
            int nx = cx + dx[d], nz = cz + dz[d];
            if (nx >= 0 && nx < cols && nz >= 0 && nz < rows && seen[nz * cols + nx] == 0) {
                options[count++] = d;
            }
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        lcg = lcg * 1664525u + 1013904223u;
        int d = options[(lcg >> 16) % static_cast<std::uint32_t>(count)];
        int nx = cx + dx[d], nz = cz + dz[d];
        if (d == 0)
            east[c] = 0;
        if (d == 1)
            east[nz * cols + nx] = 0;
        if (d == 2)
            south[c] = 0;
        if (d == 3)
            south[nz * cols + nx] = 0;
        seen[nz * cols + nx] = 1;
        stack.push_back(nz * cols + nx);
    }
    addBox(metal, {x0, floorY, z0}, {x0 + cols * cw, baseTop, z0 + rows * ch}, map);
    // Outer walls with an entrance on the west and an exit on the east.
    addBox(metal, {x0, baseTop, z0}, {x0 + cols * cw, wallTop, z0 + t}, map);
    addBox(metal, {x0, baseTop, z0 + rows * ch - t}, {x0 + cols * cw, wallTop, z0 + rows * ch},
           map);
    addBox(metal, {x0, baseTop, z0}, {x0 + t, wallTop, z0 + (rows - 1) * ch}, map);
    addBox(metal, {x0 + cols * cw - t, baseTop, z0 + ch}, {x0 + cols * cw, wallTop, z0 + rows * ch},
           map);
    for (int cz = 0; cz < rows; ++cz) {
        for (int cx = 0; cx < cols; ++cx) {
            int c = cz * cols + cx;
            float xa = x0 + cx * cw, za = z0 + cz * ch;
            if (east[c] != 0 && cx + 1 < cols) {
                addBox(metal, {xa + cw - t / 2, baseTop, za}, {xa + cw + t / 2, wallTop, za + ch},
                       map);
            }
            if (south[c] != 0 && cz + 1 < rows) {
                addBox(metal, {xa, baseTop, za + ch - t / 2}, {xa + cw, wallTop, za + ch + t / 2},
                       map);
            }
        }
    }
    // A ball at the goal.
    addSphere(metal, {x0 + (cols - 0.5f) * cw, baseTop + 0.12f, z0 + 0.5f * ch}, glm::vec3(0.12f),
              12, 8, map);
    return s;
}
