#include "Geometry.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

// Texture coordinates of a point on a face with this normal: the face is seen from the side its
// normal points to, with u to the viewer's right and v downwards (image convention).
glm::vec2 projectUv(glm::vec3 p, glm::vec3 n, const UvMap& map) {
    if (map.flat) {
        return map.at;
    }
    glm::vec3 a = glm::abs(n);
    glm::vec2 q(0.0f);
    if (a.x >= a.y && a.x >= a.z) {
        q = glm::vec2(n.x > 0.0f ? -p.z : p.z, -p.y);
    } else if (a.z >= a.y) {
        q = glm::vec2(n.z > 0.0f ? p.x : -p.x, -p.y);
    } else {
        q = glm::vec2(p.x, n.y > 0.0f ? p.z : -p.z);
    }
    return q / map.size + map.offset;
}

glm::vec3 faceNormal(glm::vec3 a, glm::vec3 b, glm::vec3 c) {
    glm::vec3 n = glm::cross(b - a, c - a);
    float len = glm::length(n);
    // Degenerate triangles (the apex of a cone) keep an upward normal rather than NaN.
    return len > 1e-12f ? n / len : glm::vec3(0.0f, 1.0f, 0.0f);
}

void push(Part& part, glm::vec3 p, glm::vec3 n, glm::vec2 uv) {
    Vtx v;
    v.position = p;
    v.normal = n;
    v.uv = uv;
    part.vertices.push_back(v);
}

}  // namespace

Part& Shape::part(const std::string& material) {
    for (Part& p : parts) {
        if (p.material == material) {
            return p;
        }
    }
    parts.push_back(Part{material, {}});
    return parts.back();
}

std::size_t Shape::triangleCount() const {
    std::size_t count = 0;
    for (const Part& p : parts) {
        count += p.vertices.size() / 3;
    }
    return count;
}

UvMap planar(float size, glm::vec2 offset) {
    UvMap map;
    map.size = size;
    map.offset = offset;
    return map;
}

UvMap flatAt(glm::vec2 at) {
    UvMap map;
    map.flat = true;
    map.at = at;
    return map;
}

void addTriangle(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ta, glm::vec2 tb,
                 glm::vec2 tc) {
    glm::vec3 n = faceNormal(a, b, c);
    push(part, a, n, ta);
    push(part, b, n, tb);
    push(part, c, n, tc);
}

void addQuad(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 ta,
             glm::vec2 tb, glm::vec2 tc, glm::vec2 td) {
    glm::vec3 n = faceNormal(a, b, c);
    push(part, a, n, ta);
    push(part, b, n, tb);
    push(part, c, n, tc);
    push(part, a, n, ta);
    push(part, c, n, tc);
    push(part, d, n, td);
}

void addMappedQuad(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d,
                   const UvMap& map) {
    glm::vec3 n = faceNormal(a, b, c);
    addQuad(part, a, b, c, d, projectUv(a, n, map), projectUv(b, n, map), projectUv(c, n, map),
            projectUv(d, n, map));
}

void addMappedTriangle(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, const UvMap& map) {
    glm::vec3 n = faceNormal(a, b, c);
    addTriangle(part, a, b, c, projectUv(a, n, map), projectUv(b, n, map), projectUv(c, n, map));
}

namespace {

// The four corners of a box face, counter-clockwise seen from outside.
void boxFaceCorners(glm::vec3 lo, glm::vec3 hi, int face, glm::vec3 (&q)[4]) {
    switch (face) {
        case kPosX:
            q[0] = {hi.x, lo.y, hi.z}, q[1] = {hi.x, lo.y, lo.z}, q[2] = {hi.x, hi.y, lo.z},
            q[3] = {hi.x, hi.y, hi.z};
            break;
        case kNegX:
            q[0] = {lo.x, lo.y, lo.z}, q[1] = {lo.x, lo.y, hi.z}, q[2] = {lo.x, hi.y, hi.z},
            q[3] = {lo.x, hi.y, lo.z};
            break;
        case kPosY:
            q[0] = {lo.x, hi.y, hi.z}, q[1] = {hi.x, hi.y, hi.z}, q[2] = {hi.x, hi.y, lo.z},
            q[3] = {lo.x, hi.y, lo.z};
            break;
        case kNegY:
            q[0] = {lo.x, lo.y, lo.z}, q[1] = {hi.x, lo.y, lo.z}, q[2] = {hi.x, lo.y, hi.z},
            q[3] = {lo.x, lo.y, hi.z};
            break;
        case kPosZ:
            q[0] = {lo.x, lo.y, hi.z}, q[1] = {hi.x, lo.y, hi.z}, q[2] = {hi.x, hi.y, hi.z},
            q[3] = {lo.x, hi.y, hi.z};
            break;
        default:
            q[0] = {hi.x, lo.y, lo.z}, q[1] = {lo.x, lo.y, lo.z}, q[2] = {lo.x, hi.y, lo.z},
            q[3] = {hi.x, hi.y, lo.z};
            break;
    }
}

}  // namespace

void addBox(Part& part, glm::vec3 lo, glm::vec3 hi, const UvMap& map, unsigned skip) {
    for (int face = 0; face < 6; ++face) {
        if ((skip & (1u << face)) != 0) {
            continue;
        }
        glm::vec3 q[4];
        boxFaceCorners(lo, hi, face, q);
        addMappedQuad(part, q[0], q[1], q[2], q[3], map);
    }
}

void addBoxFaces(Shape& shape, glm::vec3 lo, glm::vec3 hi, const std::string (&materials)[6],
                 const UvMap (&maps)[6]) {
    for (int face = 0; face < 6; ++face) {
        if (materials[face].empty()) {
            continue;
        }
        glm::vec3 q[4];
        boxFaceCorners(lo, hi, face, q);
        addMappedQuad(shape.part(materials[face]), q[0], q[1], q[2], q[3], maps[face]);
    }
}

void addCylinder(Part& part, glm::vec3 base, float radiusBottom, float radiusTop, float height,
                 int segments, const UvMap& map, float zScale) {
    glm::vec3 top = base + glm::vec3(0.0f, height, 0.0f);
    for (int i = 0; i < segments; ++i) {
        float a0 = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        float a1 = 2.0f * kPi * static_cast<float>(i + 1) / static_cast<float>(segments);
        glm::vec3 d0(std::cos(a0), 0.0f, -std::sin(a0) * zScale);
        glm::vec3 d1(std::cos(a1), 0.0f, -std::sin(a1) * zScale);
        glm::vec3 b0 = base + d0 * radiusBottom;
        glm::vec3 b1 = base + d1 * radiusBottom;
        glm::vec3 t0 = top + d0 * radiusTop;
        glm::vec3 t1 = top + d1 * radiusTop;
        if (radiusTop > 0.0f) {
            addMappedQuad(part, b0, b1, t1, t0, map);
            addMappedTriangle(part, top, t0, t1, map);
        } else {
            addMappedTriangle(part, b0, b1, top, map);
        }
        if (radiusBottom > 0.0f) {
            addMappedTriangle(part, base, b1, b0, map);
        }
    }
}

void addSphere(Part& part, glm::vec3 centre, glm::vec3 radii, int slices, int stacks,
               const UvMap& map) {
    auto point = [&](int i, int j) {
        float phi = kPi * static_cast<float>(j) / static_cast<float>(stacks);
        float theta = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(slices);
        glm::vec3 unit(std::sin(phi) * std::cos(theta), std::cos(phi),
                       -std::sin(phi) * std::sin(theta));
        return unit;
    };
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            glm::vec3 u[4] = {point(i, j + 1), point(i + 1, j + 1), point(i + 1, j), point(i, j)};
            glm::vec3 p[4];
            glm::vec3 n[4];
            glm::vec2 t[4];
            for (int k = 0; k < 4; ++k) {
                p[k] = centre + u[k] * radii;
                // The normal of an ellipsoid is the unit direction divided by the radii.
                n[k] = glm::normalize(u[k] / radii);
                t[k] = projectUv(p[k] - centre, n[k], map);
            }
            int tri[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (auto& tr : tri) {
                // Skip the degenerate halves of the quads at the poles.
                if (glm::length(glm::cross(p[tr[1]] - p[tr[0]], p[tr[2]] - p[tr[0]])) < 1e-12f) {
                    continue;
                }
                for (int k : tr) {
                    push(part, p[k], n[k], t[k]);
                }
            }
        }
    }
}

void addTorus(Part& part, glm::vec3 centre, float r, float tubeRadial, float tubeHeight,
              int segments, int sides, const UvMap& map) {
    auto point = [&](int i, int j, glm::vec3& n) {
        float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(segments);
        float b = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(sides);
        glm::vec3 radial(std::cos(a), 0.0f, -std::sin(a));
        glm::vec3 p = centre + radial * (r + tubeRadial * std::cos(b)) +
                      glm::vec3(0.0f, tubeHeight * std::sin(b), 0.0f);
        n = glm::normalize(radial * (std::cos(b) / tubeRadial) +
                           glm::vec3(0.0f, std::sin(b) / tubeHeight, 0.0f));
        return p;
    };
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            glm::vec3 n[4];
            glm::vec3 p[4] = {point(i, j, n[0]), point(i + 1, j, n[1]), point(i + 1, j + 1, n[2]),
                              point(i, j + 1, n[3])};
            int tri[6] = {0, 1, 2, 0, 2, 3};
            for (int k : tri) {
                push(part, p[k], n[k], projectUv(p[k] - centre, n[k], map));
            }
        }
    }
}

void addPrism(Part& part, const std::vector<glm::vec2>& outlineIn, float y0, float y1,
              const UvMap& map) {
    // Either winding is accepted: the outline is turned so that it runs clockwise in (x, z),
    // which is counter-clockwise seen from above.
    std::vector<glm::vec2> outline = outlineIn;
    float area = 0.0f;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        glm::vec2 a = outline[i];
        glm::vec2 b = outline[(i + 1) % outline.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (area > 0.0f) {
        outline.assign(outlineIn.rbegin(), outlineIn.rend());
    }
    glm::vec2 c(0.0f);
    for (glm::vec2 p : outline) {
        c += p;
    }
    c /= static_cast<float>(outline.size());
    std::size_t n = outline.size();
    for (std::size_t i = 0; i < n; ++i) {
        glm::vec2 a = outline[i];
        glm::vec2 b = outline[(i + 1) % n];
        addMappedTriangle(part, {c.x, y1, c.y}, {a.x, y1, a.y}, {b.x, y1, b.y}, map);
        addMappedTriangle(part, {c.x, y0, c.y}, {b.x, y0, b.y}, {a.x, y0, a.y}, map);
        addMappedQuad(part, {a.x, y0, a.y}, {b.x, y0, b.y}, {b.x, y1, b.y}, {a.x, y1, a.y}, map);
    }
}

void transformFrom(Part& part, std::size_t first, const glm::mat4& transform) {
    glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(transform)));
    for (std::size_t i = first; i < part.vertices.size(); ++i) {
        Vtx& v = part.vertices[i];
        v.position = glm::vec3(transform * glm::vec4(v.position, 1.0f));
        v.normal = glm::normalize(normalMatrix * v.normal);
    }
}

void transformShape(Shape& shape, const glm::mat4& transform) {
    for (Part& p : shape.parts) {
        transformFrom(p, 0, transform);
    }
}

void shapeBounds(const Shape& shape, glm::vec3& lo, glm::vec3& hi) {
    bool any = false;
    lo = hi = glm::vec3(0.0f);
    for (const Part& p : shape.parts) {
        for (const Vtx& v : p.vertices) {
            lo = any ? glm::min(lo, v.position) : v.position;
            hi = any ? glm::max(hi, v.position) : v.position;
            any = true;
        }
    }
}
