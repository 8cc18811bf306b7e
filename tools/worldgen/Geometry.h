#pragma once

#include <deque>
#include <string>
#include <vector>

#include <glm/glm.hpp>

// Triangle soup for the generated models. Texture coordinates are image coordinates: u grows to
// the right and v grows downwards from the image's top row. The OBJ writer stores them unchanged,
// which is what the game's loader (flipped v on import, images uploaded bottom row first) needs
// to show an image the right way up.
struct Vtx {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    glm::vec2 uv{0.0f};
};

// All triangles of one material: every three vertices form a triangle, counter-clockwise seen
// from the side the normals point to.
struct Part {
    std::string material;
    std::vector<Vtx> vertices;
};

// One model file: its parts in the order they are written. A deque, so that a reference to a part
// stays valid while further parts are added.
struct Shape {
    std::deque<Part> parts;

    // The part of that material, appended on first use.
    Part& part(const std::string& material);
    std::size_t triangleCount() const;
};

// How a surface gets texture coordinates.
struct UvMap {
    // Planar projection of the position (world or model units) onto the face, one texture
    // repeat per `size` units. Used when `flat` is false.
    float size = 1.0f;
    glm::vec2 offset{0.0f};
    // When true every vertex gets `at`: a flat colour from one spot of a palette image.
    bool flat = false;
    glm::vec2 at{0.5f};
};

UvMap planar(float size, glm::vec2 offset = glm::vec2(0.0f));
UvMap flatAt(glm::vec2 at);

// A quad a-b-c-d (counter-clockwise seen from the front) with per-corner texture coordinates.
void addQuad(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec2 ta,
             glm::vec2 tb, glm::vec2 tc, glm::vec2 td);
// A flat triangle with per-corner texture coordinates; the normal follows the winding.
void addTriangle(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec2 ta, glm::vec2 tb,
                 glm::vec2 tc);
// A planar quad whose texture coordinates come from the map (projected along its normal).
void addMappedQuad(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d,
                   const UvMap& map);
void addMappedTriangle(Part& part, glm::vec3 a, glm::vec3 b, glm::vec3 c, const UvMap& map);

// Faces of an axis-aligned box, in the order +x, -x, +y, -y, +z, -z.
enum BoxFace { kPosX = 0, kNegX, kPosY, kNegY, kPosZ, kNegZ };

// An axis-aligned box from lo to hi; `skip` masks faces (bit = 1 << BoxFace) that are left out.
void addBox(Part& part, glm::vec3 lo, glm::vec3 hi, const UvMap& map, unsigned skip = 0);
// A box whose faces take their material and mapping from two lists indexed by BoxFace.
void addBoxFaces(Shape& shape, glm::vec3 lo, glm::vec3 hi, const std::string (&materials)[6],
                 const UvMap (&maps)[6]);

// A frustum of a cone around the y axis through `base` (closed at both ends when the radius there
// is not zero); radii may differ per end and the cross-section may be squashed along z.
void addCylinder(Part& part, glm::vec3 base, float radiusBottom, float radiusTop, float height,
                 int segments, const UvMap& map, float zScale = 1.0f);
// A UV sphere (an ellipsoid with per-axis radii).
void addSphere(Part& part, glm::vec3 centre, glm::vec3 radii, int slices, int stacks,
               const UvMap& map);
// A ring lying in the xz plane around `centre`: major radius r, tube radii (in the plane, along y).
void addTorus(Part& part, glm::vec3 centre, float r, float tubeRadial, float tubeHeight,
              int segments, int sides, const UvMap& map);
// A prism: the simple polygon `outline` (x, z; either winding) extruded from
// y0 to y1. The cap is triangulated as a fan around the outline's centre, so star-shaped outlines
// (seen from their centre) are fine.
void addPrism(Part& part, const std::vector<glm::vec2>& outline, float y0, float y1,
              const UvMap& map);

// Applies a transform to every vertex appended to `part` from index `first` on.
void transformFrom(Part& part, std::size_t first, const glm::mat4& transform);
// Applies a transform to every vertex of every part.
void transformShape(Shape& shape, const glm::mat4& transform);

// Bounds of all positions (lo, hi); (0, 0) for an empty shape.
void shapeBounds(const Shape& shape, glm::vec3& lo, glm::vec3& hi);
