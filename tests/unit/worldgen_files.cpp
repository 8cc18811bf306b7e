// The generated data set as the game reads it (Assimp with the game's flags, FreeImage) and
// placed with the game's own layout and motions: the cube map is a JPEG with the sky on top; doors
// swing out of their doorways where the house is open and doors that never open are boarded up;
// the companion walks its scripts without touching the house; tiles and pieces sit where the rules
// expect them, each tile showing its ninth of the picture upright; the picture is whole only when
// solved; and texture coordinates are authored for the way the engine shows an image (flipped on
// import, uploaded bottom row first).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>

#include "game/Animations.h"
#include "game/Board.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

const std::string kRunDir = VELMORA_RUN_DIR "/";

// A model file (relative to the run directory) imported as the game imports it.
struct Imported {
    Assimp::Importer importer;
    const aiScene* scene;
    explicit Imported(const std::string& file)
        : scene(importer.ReadFile(kRunDir + file, aiProcess_Triangulate | aiProcess_FlipUVs)) {}

    std::span<aiMesh* const> meshes() const {
        return scene == nullptr ? std::span<aiMesh* const>()
                                : std::span(scene->mMeshes, scene->mNumMeshes);
    }
    std::string diffuseImage(const aiMesh* mesh) const {
        aiString name;
        aiGetMaterialTexture(scene->mMaterials[mesh->mMaterialIndex], aiTextureType_DIFFUSE, 0,
                             &name);
        return name.C_Str();
    }
};

// An image as the engine holds it: FreeImage's pixels, first scanline at the bottom.
using Image = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;

Image loadImage(const std::string& file) {
    const std::string path = kRunDir + file;
    const FREE_IMAGE_FORMAT type = FreeImage_GetFileType(path.c_str(), 0);
    return {type == FIF_UNKNOWN ? nullptr : FreeImage_Load(type, path.c_str(), 0),
            &FreeImage_Unload};
}

// Samples like OpenGL with the image uploaded as the engine does: t = 0 is the first scanline
// FreeImage stores.
glm::vec3 sampleGl(const Image& image, float s, float t) {
    const unsigned w = FreeImage_GetWidth(image.get());
    const unsigned h = FreeImage_GetHeight(image.get());
    RGBQUAD q{};
    FreeImage_GetPixelColor(image.get(), static_cast<unsigned>(std::clamp(s, 0.0f, 0.999f) * w),
                            static_cast<unsigned>(std::clamp(t, 0.0f, 0.999f) * h), &q);
    return glm::vec3(q.rgbRed, q.rgbGreen, q.rgbBlue) / 255.0f;
}

using Triangles = std::vector<std::array<glm::vec3, 3>>;

struct Box {
    glm::vec3 lo;
    glm::vec3 hi;
};

Triangles transformed(Triangles triangles, const glm::mat4& m) {
    for (auto& t : triangles) {
        for (glm::vec3& p : t) {
            p = glm::vec3(m * glm::vec4(p, 1.0f));
        }
    }
    return triangles;
}

// The triangles of a model in Meshes/, placed by the matrix.
Triangles load(const std::string& name, const glm::mat4& placement = glm::mat4(1.0f)) {
    const Imported model("Meshes/" + name + ".obj");
    EXPECT_NE(model.scene, nullptr) << name << ": " << model.importer.GetErrorString();
    Triangles triangles;
    for (const aiMesh* mesh : model.meshes()) {
        for (const aiFace& face : std::span(mesh->mFaces, mesh->mNumFaces)) {
            for (unsigned k = 0; k < 3 && face.mNumIndices == 3; ++k) {
                const aiVector3D& v = mesh->mVertices[face.mIndices[k]];
                (k == 0 ? triangles.emplace_back() : triangles.back())[k] = {v.x, v.y, v.z};
            }
        }
    }
    return transformed(triangles, placement);
}

Box boundsOf(const Triangles& triangles) {
    Box b{glm::vec3(1e30f), glm::vec3(-1e30f)};
    for (const auto& t : triangles) {
        for (const glm::vec3& p : t) {
            b.lo = glm::min(b.lo, p);
            b.hi = glm::max(b.hi, p);
        }
    }
    return b;
}

glm::vec2 xz(const glm::vec3& p) {
    return {p.x, p.z};
}

// Whether the inner box lies within the outer one on the floor plan.
bool withinOnPlan(const Box& inner, const Box& outer) {
    return glm::all(glm::greaterThanEqual(xz(inner.lo), xz(outer.lo))) &&
           glm::all(glm::lessThanEqual(xz(inner.hi), xz(outer.hi)));
}

Box shrunk(Box b, float by) {
    return {b.lo + glm::vec3(by), b.hi - glm::vec3(by)};
}

// Separating-axis test of a triangle against an axis-aligned box: the box's three axes first
// (they reject far triangles cheaply), then each triangle edge crossed with each of them and the
// triangle's normal.
bool touches(const std::array<glm::vec3, 3>& tri, const Box& box) {
    if (glm::any(glm::greaterThan(glm::min(glm::min(tri[0], tri[1]), tri[2]), box.hi)) ||
        glm::any(glm::lessThan(glm::max(glm::max(tri[0], tri[1]), tri[2]), box.lo))) {
        return false;
    }
    const glm::vec3 c = 0.5f * (box.lo + box.hi);
    const glm::vec3 h = 0.5f * (box.hi - box.lo);
    const glm::vec3 v[3] = {tri[0] - c, tri[1] - c, tri[2] - c};
    const glm::vec3 e[3] = {v[1] - v[0], v[2] - v[1], v[0] - v[2]};
    for (int i = 3; i < 13; ++i) {
        const glm::vec3 unit(i % 3 == 0, i % 3 == 1, i % 3 == 2);
        const glm::vec3 a = i < 12 ? glm::cross(e[i / 3 - 1], unit) : glm::cross(e[0], e[1]);
        const float p[3] = {glm::dot(v[0], a), glm::dot(v[1], a), glm::dot(v[2], a)};
        const float r = glm::dot(h, glm::abs(a));
        if (glm::dot(a, a) > 1e-14f &&
            (std::min({p[0], p[1], p[2]}) > r || std::max({p[0], p[1], p[2]}) < -r)) {
            return false;
        }
    }
    return true;
}

long countHits(const Triangles& triangles, const Box& box) {
    return std::count_if(triangles.begin(), triangles.end(),
                         [&](const auto& t) { return touches(t, box); });
}

}  // namespace

TEST(WorldFiles, CubeMapImageIsAJpegWithWholeFourByteRowsAndSkyOnTop) {
    EXPECT_EQ(FreeImage_GetFileType((kRunDir + "Textures/newkeystuff.jpg").c_str(), 0), FIF_JPEG);
    const Image sky = loadImage("Textures/newkeystuff.jpg");
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(FreeImage_GetBPP(sky.get()), 24u);
    // Square, and the cube-map upload keeps OpenGL's 4-byte row alignment.
    const unsigned w = FreeImage_GetWidth(sky.get());
    EXPECT_TRUE(w == FreeImage_GetHeight(sky.get()) && (w * 3) % 4 == 0u) << w;
    // Sky above, ground below (FreeImage's first scanline is the bottom row).
    EXPECT_GT(sampleGl(sky, 0.5f, 0.98f).b, sampleGl(sky, 0.5f, 0.98f).g);
    EXPECT_GT(sampleGl(sky, 0.5f, 0.02f).g, sampleGl(sky, 0.5f, 0.02f).b);
}

TEST(WorldDoors, LeavesSwingOutOfOpenDoorwaysAndDoorsThatNeverOpenAreBoardedUp) {
    resetGameState();
    layoutScene();
    const Triangles leaf = load("door");
    const Triangles house = load("finished_houseWG", houseTransform);
    glm::mat4* const drawn[9] = {&doorTransform4, &doorTransform3, &doorTransform1,
                                 &doorTransform9, &doorTransform6, &doorTransform8,
                                 &doorTransform2, &doorTransform5, &doorTransform7};
    glm::mat4 closed[9];
    std::transform(drawn, drawn + 9, closed, [](const glm::mat4* m) { return *m; });
    // The first five open through the game's own rules: three exit doors, then keys B and A.
    openDoor4Request = openDoor3Request = openDoor1Request = true;
    openDoors();
    holdingKeyB = true;
    hiddenTarget = 10;
    animateHiddenBoxes();
    holdingKeyA = true;
    hiddenTarget = 9;
    animateHiddenBoxes();

    // The vertical line door 4 turns about, in its closed frame: the fixed point of the motion.
    const glm::mat4 motion = glm::inverse(closed[0]) * doorTransform4;
    const glm::mat2 turn(motion[0][0], motion[0][2], motion[2][0], motion[2][2]);
    const glm::vec2 hinge =
        glm::inverse(glm::mat2(1.0f) - turn) * glm::vec2(motion[3][0], motion[3][2]);
    // The leaf stands against the wall's -x face with its hinge on its +z edge; the wall is 0.5
    // thick in the door's 0.2-scaled frame, so the doorway is the leaf's outline through it.
    const Box leafBox = boundsOf(leaf);
    EXPECT_NEAR(hinge.y, leafBox.hi.z, 0.03f);
    const Box doorway{{hinge.x, leafBox.lo.y, leafBox.lo.z},
                      {hinge.x + 0.5f, leafBox.hi.y, hinge.y}};
    // Boxes through the wall, reaching past both its faces: the hole, wall beside and above it;
    // and the floor surface at the threshold.
    const Box inner = shrunk(doorway, 0.03f);
    const auto through = [&](float y0, float y1, float z0, float z1) {
        return Box{{inner.lo.x - 0.1f, y0, z0}, {inner.hi.x + 0.1f, y1, z1}};
    };
    const Box hole = through(inner.lo.y, inner.hi.y, inner.lo.z, inner.hi.z);
    const Box walls[] = {through(inner.lo.y, inner.hi.y, doorway.hi.z + 0.05f, doorway.hi.z + 0.3f),
                         through(inner.lo.y, inner.hi.y, doorway.lo.z - 0.3f, doorway.lo.z - 0.05f),
                         through(doorway.hi.y + 0.05f, doorway.hi.y + 0.3f, inner.lo.z, inner.hi.z),
                         {{inner.lo.x, doorway.lo.y - 0.1f, inner.lo.z},
                          {inner.hi.x, doorway.lo.y + 0.02f, inner.hi.z}}};
    // Planks across both faces of the wall, within the doorway's outline.
    const Box boards[] = {{{doorway.lo.x - 0.3f, inner.lo.y, inner.lo.z},
                           {doorway.lo.x - 0.005f, inner.hi.y, inner.hi.z}},
                          {{doorway.hi.x + 0.005f, inner.lo.y, inner.lo.z},
                           {doorway.hi.x + 0.3f, inner.hi.y, inner.hi.z}}};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE("door " + std::to_string(i));
        const Triangles local = transformed(house, glm::inverse(closed[i]));
        // A door that opens has a bare doorway; one that never opens is boarded up on both
        // faces, so that it reads as shut for good.
        for (const Box& wall : walls) {
            EXPECT_GT(countHits(local, wall), 0);
        }
        if (i >= 5) {
            EXPECT_TRUE(countHits(local, boards[0]) > 0 && countHits(local, boards[1]) > 0);
        } else {
            EXPECT_EQ(countHits(local, hole), 0);
            // In the closed door's frame, the opened leaf has left the doorway (the hinge edge
            // may touch its rim).
            const Triangles swung = transformed(leaf, glm::inverse(closed[i]) * *drawn[i]);
            EXPECT_EQ(countHits(swung, shrunk(doorway, 0.02f)), 0);
        }
    }
}

TEST(WorldCompanion, WalksThroughDoorsFourAndThreeWithoutTouchingTheHouse) {
    resetGameState();
    layoutScene();
    const Triangles body = load("playerWOFA"), leg = load("foot"), arm = load("arm");
    const Triangles flower = load("blume"), leaf = load("door");
    const Triangles house = load("finished_houseWG", houseTransform);
    // The feet (the lowest 0.06 of a leg) may touch floors and stair treads, as feet do.
    const auto partAt = [](const Triangles& part, const glm::mat4& m, float feet = 0.0f) {
        Box b = boundsOf(transformed(part, m));
        b.lo.y += feet;
        return b;
    };
    // Walk 1 starts when door 4 opens, with door 3 still shut; walk 2 once door 3 opens.
    for (const int walk : {1, 2}) {
        (walk == 1 ? openDoor4Request : openDoor3Request) = true;
        openDoors();
        Triangles obstacles = house;
        for (const glm::mat4* door : {&doorTransform4, &doorTransform3}) {
            const Triangles placed = transformed(leaf, *door);
            obstacles.insert(obstacles.end(), placed.begin(), placed.end());
        }
        bool crossedTowerWall = false;
        for (int frame = 0; frame < 3000 && walkScript == walk; ++frame) {
            animateCompanion(1.0f / 30.0f);
            const glm::vec3 at = positionOf(playerBodyTransform);
            crossedTowerWall = crossedTowerWall || std::fabs(at.x + 4.71f) < 0.03f;
            const Box parts[6] = {
                partAt(body, playerBodyTransform),  partAt(arm, armTransform1),
                partAt(arm, armTransform2),         partAt(flower, flowerTransform),
                partAt(leg, footTransform1, 0.06f), partAt(leg, footTransform2, 0.06f)};
            for (int part = 0; part < 6; ++part) {
                ASSERT_EQ(countHits(obstacles, parts[part]), 0)
                    << "part " << part << " (body, arms, flower, legs) in walk " << walk << " at "
                    << at.x << ", " << at.y << ", " << at.z;
            }
        }
        EXPECT_EQ(walkScript, -1);
        EXPECT_TRUE(crossedTowerWall);
    }
    EXPECT_GT(positionOf(playerBodyTransform).x, -0.35f);
}

namespace {
// What the player sees of the picture on a board: for each tile, where in the image a point of
// its top face lies, taken from the generated tile and placed by the game's own matrices.
struct TilePicture {
    glm::vec2 centre;  // world x, z of the top face's middle
    glm::vec2 half;    // half its extent along world x and z
    glm::vec2 origin;  // world x, z of one corner, with its texture coordinates
    glm::vec2 originUv;
    glm::mat2 uvPerWorld;  // texture coordinates per world unit

    glm::vec3 colourAt(const Image& picture, glm::vec2 world) const {
        const glm::vec2 uv = originUv + uvPerWorld * (world - origin);
        return sampleGl(picture, uv.x, uv.y);
    }
};

TilePicture tilePicture(int t) {
    const Imported tile("Meshes/Level2_" + std::to_string(t + 1) + ".obj");
    std::vector<std::pair<glm::vec2, glm::vec2>> corners;
    for (const aiMesh* mesh : tile.meshes()) {
        for (unsigned v = 0;
             v < mesh->mNumVertices && tile.diffuseImage(mesh) == "Textures/picture.png"; ++v) {
            if (mesh->mNormals[v].y > 0.9f) {
                const aiVector3D& p = mesh->mVertices[v];
                const glm::vec4 world = level2PartTransform[t] * glm::vec4(p.x, p.y, p.z, 1.0f);
                corners.push_back({{world.x, world.z},
                                   {mesh->mTextureCoords[0][v].x, mesh->mTextureCoords[0][v].y}});
            }
        }
    }
    EXPECT_GE(corners.size(), 4u);
    if (corners.size() < 4) {
        return {};
    }
    // The corner farthest from the first and one off their line span the square face.
    const auto [o, oUv] = corners[0];
    const auto gap = [o](const auto& c) { return glm::distance(c.first, o); };
    const auto far =
        *std::max_element(corners.begin(), corners.end(),
                          [&](const auto& a, const auto& b) { return gap(a) < gap(b); });
    const auto side = *std::find_if(corners.begin(), corners.end(), [&](const auto& c) {
        const glm::vec2 a = far.first - o, b = c.first - o;
        return std::fabs(a.x * b.y - a.y * b.x) > 1e-6f;
    });
    const glm::mat2 world(far.first - o, side.first - o), uv(far.second - oUv, side.second - oUv);
    return {o + 0.5f * (far.first - o), 0.5f * glm::abs(far.first - o), o, oUv,
            uv * glm::inverse(world)};
}

// Serpentine numbering: the row and column of each cell, and where the layout puts it.
constexpr int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
constexpr int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
glm::vec2 cellCentre(int cell) {
    return xz(glm::vec3(boardTransform * glm::vec4(0.25f * (rowOf[cell] - 1), 0.0f,
                                                   0.25f * (columnOf[cell] - 1), 1.0f)));
}

// The colour difference across every shared edge of two tiles on the board as the arrangement
// lays them out: the mean over the edge of the largest channel difference between the two
// tiles' outermost texels, as the engine samples the image. A tile shows, where it lies, the
// point of its own top face that is moved onto the cell.
struct Seam {
    int cellA;
    int cellB;
    float difference;
};

std::vector<Seam> seamsOf(const int (&cells)[9], const TilePicture (&tiles)[8],
                          const Image& picture) {
    std::vector<Seam> seams;
    const float pitch = glm::distance(cellCentre(0), cellCentre(1));
    for (int a = 0; a < 9; ++a) {
        for (int b = a + 1; b < 9; ++b) {
            const glm::vec2 across = (cellCentre(b) - cellCentre(a)) / pitch;
            if (cells[a] < 0 || cells[b] < 0 || std::fabs(glm::length(across) - 1.0f) > 0.1f) {
                continue;
            }
            const TilePicture& tileA = tiles[cells[a]];
            const TilePicture& tileB = tiles[cells[b]];
            const glm::vec2 edgeA = across * (0.98f * glm::dot(tileA.half, glm::abs(across)));
            const glm::vec2 edgeB = across * (0.98f * glm::dot(tileB.half, glm::abs(across)));
            float sum = 0.0f;
            for (int k = 0; k < 40; ++k) {
                const glm::vec2 along =
                    glm::vec2(-across.y, across.x) * (0.9f * ((k + 0.5f) / 40.0f - 0.5f) * pitch);
                const glm::vec3 d = glm::abs(tileA.colourAt(picture, tileA.centre + edgeA + along) -
                                             tileB.colourAt(picture, tileB.centre - edgeB + along));
                sum += std::max({d.r, d.g, d.b});
            }
            seams.push_back({a, b, sum / 40.0f});
        }
    }
    return seams;
}

}  // namespace

// Each tile starts on its cell, and the tiles of the solved board's top row (the row farthest from
// the board camera, which looks along -x) show the picture's sky, those of its bottom row meadow.
TEST(WorldBoard, TilesSitOnTheirCellsAndTheSolvedPictureIsUpright) {
    resetGameState();
    layoutScene();
    const Image picture = loadImage("Textures/picture.png");
    ASSERT_NE(picture, nullptr);
    const int solvedRow[8] = {0, 0, 0, 1, 1, 1, 2, 2};
    for (int t = 0; t < 8; ++t) {
        SCOPED_TRACE(t);
        const TilePicture tile = tilePicture(t);
        const int cell = static_cast<int>(std::find(boardCells, boardCells + 9, t) - boardCells);
        EXPECT_LT(glm::distance(tile.centre, cellCentre(cell)), 1e-3f);
        // Halfway to the tile's edge nearest the picture's top or bottom (its very edge shows the
        // picture's frame): screen up is -x.
        const float toEdge = (solvedRow[t] == 0 ? -0.5f : 0.5f) * tile.half.x;
        const glm::vec3 colour = tile.colourAt(picture, tile.centre + glm::vec2(toEdge, 0.0f));
        if (solvedRow[t] != 1) {
            EXPECT_EQ(colour.b > colour.g, solvedRow[t] == 0);
        }
    }
}

TEST(WorldBoard, PictureIsWholeOnlyInTheSolvedArrangement) {
    resetGameState();
    layoutScene();
    int start[9] = {};
    std::copy(std::begin(boardCells), std::end(boardCells), std::begin(start));
    TilePicture tiles[8];
    for (int t = 0; t < 8; ++t) {
        tiles[t] = tilePicture(t);
    }
    // The solved arrangement as the game's own test accepts it.
    int solved[9] = {-1, 0, 1, 2, 3, 4, 5, 6, 7};
    bool found = false;
    do {
        std::copy(std::begin(solved), std::end(solved), std::begin(boardCells));
        found = boardSolved();
    } while (!found && std::next_permutation(std::begin(solved), std::end(solved)));
    ASSERT_TRUE(found);

    const Image picture = loadImage("Textures/picture.png");
    ASSERT_NE(picture, nullptr);
    // Whole: no seam of the solved board shows a jump. Broken: in the starting arrangement at
    // least half of the seams of the two rows farthest from the board camera (it looks along
    // -x, so they are the rows of smallest x) show one.
    const float whole = 0.12f, broken = 0.30f;
    const std::vector<Seam> solvedSeams = seamsOf(solved, tiles, picture);
    EXPECT_EQ(solvedSeams.size(), 10u);
    for (const Seam& seam : solvedSeams) {
        EXPECT_LT(seam.difference, whole) << "cells " << seam.cellA << " and " << seam.cellB;
    }
    // Between the middle row and the near row (row 2, at the largest x).
    const float nearRow = 0.5f * (cellCentre(4).x + cellCentre(7).x);
    int topSeams = 0;
    int brokenSeams = 0;
    for (const Seam& seam : seamsOf(start, tiles, picture)) {
        if (cellCentre(seam.cellA).x < nearRow && cellCentre(seam.cellB).x < nearRow) {
            ++topSeams;
            brokenSeams += seam.difference > broken ? 1 : 0;
        }
    }
    EXPECT_EQ(topSeams, 7);
    EXPECT_GE(2 * brokenSeams, topSeams);
}

TEST(WorldLevel1, EachPieceFitsItsPlaceAndCarriesItsColour) {
    const Image palette = loadImage("Textures/palette.png");
    ASSERT_NE(palette, nullptr);
    // The colour the engine shows at the highest up-facing palette-mapped point of a model.
    const auto topColour = [&](const std::string& name) {
        const Imported model("Meshes/" + name + ".obj");
        float top = -1e30f;
        glm::vec3 colour(-1.0f);
        for (const aiMesh* mesh : model.meshes()) {
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                if (model.diffuseImage(mesh) == "Textures/palette.png" &&
                    mesh->mNormals[v].y > 0.9f && mesh->mVertices[v].y > top) {
                    top = mesh->mVertices[v].y;
                    colour = sampleGl(palette, mesh->mTextureCoords[0][v].x,
                                      mesh->mTextureCoords[0][v].y);
                }
            }
        }
        return colour;
    };
    // Piece 1 belongs on place 3, piece 2 on place 2, piece 3 on place 1.
    for (int piece = 1; piece <= 3; ++piece) {
        SCOPED_TRACE(piece);
        const std::string name = "Level1_" + std::to_string(piece);
        const std::string placeName = "Level1_place" + std::to_string(4 - piece);
        const Box p = boundsOf(load(name));
        const Box place = boundsOf(load(placeName));
        // Standing on its origin, within its place's footprint; the plinth stands on the floor
        // under its origin (7.4 - 0.1 = 7.3).
        EXPECT_NEAR(p.lo.y, 0.0f, 1e-4f);
        EXPECT_TRUE(withinOnPlan(p, place));
        EXPECT_NEAR(place.lo.y, -0.1f, 1e-4f);
        EXPECT_LE(place.hi.y, 0.01f);
        // The place shows its piece's colour, and the three pieces' colours differ clearly.
        EXPECT_LT(glm::distance(topColour(name), topColour(placeName)), 0.08f);
        EXPECT_GT(
            glm::distance(topColour(name), topColour("Level1_" + std::to_string(piece % 3 + 1))),
            0.3f);
    }
}

TEST(WorldLevel4, AnOpenedHiddenTopStandsClearOfItsBoxOpening) {
    resetGameState();
    layoutScene();
    const Box box = boundsOf(load("boxhiddenkey"));
    const glm::mat4 closed = hiddenKeyBox3TopTransform;
    openTop3Request = true;
    hiddenTarget = 3;
    animateHiddenBoxes();
    // In the box's frame the top stands on its hinge edge behind the opening, not over it.
    const Triangles opened =
        load("boxhiddenkeytop", glm::inverse(closed) * hiddenKeyBox3TopTransform);
    EXPECT_GT(boundsOf(opened).hi.y - boundsOf(opened).lo.y, 0.8f);
    EXPECT_GE(boundsOf(opened).lo.y, box.hi.y - 0.02f);
    const Box overOpening{{box.lo.x + 0.12f, box.hi.y, box.lo.z},
                          {box.hi.x, box.hi.y + 1.0f, box.hi.z}};
    EXPECT_EQ(countHits(opened, shrunk(overOpening, 0.001f)), 0);
}
