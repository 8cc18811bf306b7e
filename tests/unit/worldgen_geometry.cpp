// Geometry facts the game rules rely on, checked on the generated model files as the game loads
// them (Assimp, triangulated) and placed with the game's own layout and motions: doors swing out
// of their doorways, the house has its openings where the doors stand, the companion walks its
// scripts without touching the house, tiles and pieces sit where the rules expect them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "game/Animations.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

struct Triangle {
    glm::vec3 p[3];
};

struct Box {
    glm::vec3 lo{0.0f};
    glm::vec3 hi{0.0f};
};

// The triangles of a model file in its own frame, imported with the game's flags.
std::vector<Triangle> loadTriangles(const std::string& name) {
    std::vector<Triangle> triangles;
    Assimp::Importer importer;
    std::string path = std::string(VELMORA_RUN_DIR) + "/Meshes/" + name + ".obj";
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
    if (scene == nullptr) {
        ADD_FAILURE() << "cannot import " << path << ": " << importer.GetErrorString();
        return triangles;
    }
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) {
                continue;
            }
            Triangle t;
            for (int k = 0; k < 3; ++k) {
                const aiVector3D& v = mesh->mVertices[face.mIndices[k]];
                t.p[k] = glm::vec3(v.x, v.y, v.z);
            }
            triangles.push_back(t);
        }
    }
    return triangles;
}

std::vector<Triangle> transformed(const std::vector<Triangle>& in, const glm::mat4& m) {
    std::vector<Triangle> out = in;
    for (Triangle& t : out) {
        for (glm::vec3& p : t.p) {
            p = glm::vec3(m * glm::vec4(p, 1.0f));
        }
    }
    return out;
}

Box boundsOf(const std::vector<Triangle>& triangles) {
    Box b{glm::vec3(1e30f), glm::vec3(-1e30f)};
    for (const Triangle& t : triangles) {
        for (const glm::vec3& p : t.p) {
            b.lo = glm::min(b.lo, p);
            b.hi = glm::max(b.hi, p);
        }
    }
    return b;
}

Box shrunk(Box b, float by) {
    return {b.lo + glm::vec3(by), b.hi - glm::vec3(by)};
}

// Separating-axis test of a triangle against an axis-aligned box.
bool triangleHitsBox(const Triangle& tri, const Box& box) {
    glm::vec3 c = 0.5f * (box.lo + box.hi);
    glm::vec3 h = 0.5f * (box.hi - box.lo);
    glm::vec3 v[3] = {tri.p[0] - c, tri.p[1] - c, tri.p[2] - c};
    for (int axis = 0; axis < 3; ++axis) {
        float lo = std::min({v[0][axis], v[1][axis], v[2][axis]});
        float hi = std::max({v[0][axis], v[1][axis], v[2][axis]});
        if (lo > h[axis] || hi < -h[axis]) {
            return false;
        }
    }
    glm::vec3 e[3] = {v[1] - v[0], v[2] - v[1], v[0] - v[2]};
    glm::vec3 normal = glm::cross(e[0], e[1]);
    std::vector<glm::vec3> axes = {normal};
    const glm::vec3 units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const glm::vec3& edge : e) {
        for (const glm::vec3& u : units) {
            axes.push_back(glm::cross(edge, u));
        }
    }
    for (const glm::vec3& a : axes) {
        if (glm::dot(a, a) < 1e-14f) {
            continue;
        }
        float p0 = glm::dot(v[0], a), p1 = glm::dot(v[1], a), p2 = glm::dot(v[2], a);
        float r = h.x * std::fabs(a.x) + h.y * std::fabs(a.y) + h.z * std::fabs(a.z);
        if (std::min({p0, p1, p2}) > r || std::max({p0, p1, p2}) < -r) {
            return false;
        }
    }
    return true;
}

int countHits(const std::vector<Triangle>& triangles, const Box& box) {
    int hits = 0;
    for (const Triangle& t : triangles) {
        hits += triangleHitsBox(t, box) ? 1 : 0;
    }
    return hits;
}

bool anyVertexInside(const std::vector<Triangle>& triangles, const Box& box) {
    for (const Triangle& t : triangles) {
        for (const glm::vec3& p : t.p) {
            if (glm::all(glm::greaterThan(p, box.lo)) && glm::all(glm::lessThan(p, box.hi))) {
                return true;
            }
        }
    }
    return false;
}

glm::vec3 positionOfMatrix(const glm::mat4& m) {
    return glm::vec3(m[3]);
}

// The vertical line that an opening (closed -> opened) turns the leaf about, in the closed door's
// frame: the fixed point of the opening's motion in the horizontal plane.
glm::vec2 openingAxis(const glm::mat4& closed, const glm::mat4& opened) {
    glm::mat4 motion = glm::inverse(closed) * opened;
    glm::mat2 r(motion[0][0], motion[0][2], motion[2][0], motion[2][2]);
    glm::vec2 t(motion[3][0], motion[3][2]);
    // p = r p + t  =>  (I - r) p = t
    return glm::inverse(glm::mat2(1.0f) - r) * t;
}

// The doorway of a leaf hinged at `axis`: the leaf lies against the wall's -x face (at the hinge
// line) with its hinge on its +z edge; the wall is 0.1 thick (0.5 in the door's 0.2-scaled
// frame), so the doorway is the leaf's outline carried through the wall.
Box doorwayOf(const Box& leaf, glm::vec2 axis) {
    return {glm::vec3(axis.x, leaf.lo.y, leaf.lo.z), glm::vec3(axis.x + 0.5f, leaf.hi.y, axis.y)};
}

// A box through the wall around part of the doorway, reaching past both wall faces.
Box throughWall(Box b) {
    b.lo.x -= 0.1f;
    b.hi.x += 0.1f;
    return b;
}

struct OpeningDoor {
    const char* name;
    glm::mat4* matrix;
};

// Opens the five doors through the game's own rules and returns the matrices before and after.
void openAllDoors(glm::mat4 (&closed)[5], glm::mat4 (&opened)[5], OpeningDoor (&doors)[5]) {
    layoutScene();
    OpeningDoor list[5] = {{"door 4", &doorTransform4},
                           {"door 3", &doorTransform3},
                           {"door 1", &doorTransform1},
                           {"door 9", &doorTransform9},
                           {"door 6", &doorTransform6}};
    for (int i = 0; i < 5; ++i) {
        doors[i] = list[i];
        closed[i] = *list[i].matrix;
    }
    openDoor4Request = openDoor3Request = openDoor1Request = true;
    openDoors();
    holdingKeyB = true;
    hiddenTarget = 10;
    animateHiddenBoxes();
    holdingKeyA = true;
    hiddenTarget = 9;
    animateHiddenBoxes();
    hiddenTarget = -1;
    walkScript = 0;
    for (int i = 0; i < 5; ++i) {
        opened[i] = *list[i].matrix;
    }
}

}  // namespace

TEST(WorldDoors, LeavesSwingOutOfTheirDoorwaysAndHouseIsOpenThere) {
    std::vector<Triangle> leaf = loadTriangles("door");
    std::vector<Triangle> house =
        transformed(loadTriangles("finished_houseWG"), (layoutScene(), houseTransform));
    ASSERT_FALSE(leaf.empty());
    ASSERT_FALSE(house.empty());
    Box leafBox = boundsOf(leaf);

    glm::mat4 closed[5], opened[5];
    OpeningDoor doors[5];
    openAllDoors(closed, opened, doors);
    // Doors 4, 9, 6 and 1 turn about the leaf's hinge edge; door 3 about another line, which
    // moves the leaf as it turns. All stand against the -x face of their walls.
    glm::vec2 hinge = openingAxis(closed[0], opened[0]);
    EXPECT_NEAR(hinge.y, leafBox.hi.z, 0.03f);
    Box doorway = doorwayOf(leafBox, hinge);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(doors[i].name);
        // The opening really moved the leaf (the rules ran).
        EXPECT_GT(glm::length(positionOfMatrix(opened[i]) - positionOfMatrix(closed[i])), 0.05f);
        // In the closed door's frame, no vertex of the opened leaf is left inside the doorway
        // (the hinge edge may touch its rim).
        glm::mat4 toClosed = glm::inverse(closed[i]) * opened[i];
        std::vector<Triangle> swung = transformed(leaf, toClosed);
        EXPECT_FALSE(anyVertexInside(swung, shrunk(doorway, 0.02f)));
        EXPECT_EQ(countHits(swung, shrunk(doorway, 0.02f)), 0);

        // The house has a hole where the doorway is, and wall on both sides and above it.
        std::vector<Triangle> local = transformed(house, glm::inverse(closed[i]));
        EXPECT_EQ(countHits(local, throughWall(shrunk(doorway, 0.03f))), 0);
        Box side1 = throughWall(shrunk(doorway, 0.03f));
        side1.lo.z = doorway.hi.z + 0.05f;
        side1.hi.z = doorway.hi.z + 0.3f;
        Box side2 = throughWall(shrunk(doorway, 0.03f));
        side2.hi.z = doorway.lo.z - 0.05f;
        side2.lo.z = doorway.lo.z - 0.3f;
        Box above = throughWall(shrunk(doorway, 0.03f));
        above.lo.y = doorway.hi.y + 0.05f;
        above.hi.y = doorway.hi.y + 0.3f;
        EXPECT_GT(countHits(local, side1), 0);
        EXPECT_GT(countHits(local, side2), 0);
        EXPECT_GT(countHits(local, above), 0);
        // The leaf's bottom is the floor of its storey: a floor surface runs at the threshold.
        Box below = shrunk(doorway, 0.03f);
        below.hi.y = doorway.lo.y + 0.02f;
        below.lo.y = doorway.lo.y - 0.1f;
        EXPECT_GT(countHits(local, below), 0);
    }
}

TEST(WorldDoors, EveryDrawnDoorStandsFreeInItsOpening) {
    layoutScene();
    std::vector<Triangle> leaf = loadTriangles("door");
    std::vector<Triangle> house = transformed(loadTriangles("finished_houseWG"), houseTransform);
    ASSERT_FALSE(leaf.empty());
    const glm::mat4* drawn[9] = {&doorTransform8, &doorTransform2, &doorTransform4,
                                 &doorTransform3, &doorTransform9, &doorTransform6,
                                 &doorTransform5, &doorTransform1, &doorTransform7};
    // The raised panels and knobs stick out of the slab; the slab itself (0.04 thick, against the
    // wall face at the hinge line) must not cut a wall.
    layoutScene();
    glm::mat4 closed4 = doorTransform4;
    openDoor4Request = true;
    openDoors();
    walkScript = 0;
    glm::vec2 hinge = openingAxis(closed4, doorTransform4);
    layoutScene();
    Box slab = boundsOf(leaf);
    slab.lo.x = hinge.x;
    slab.hi.x = hinge.x + 0.2f;
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        std::vector<Triangle> local = transformed(house, glm::inverse(*drawn[i]));
        EXPECT_EQ(countHits(local, shrunk(slab, 0.03f)), 0);
        // Its bottom meets the floor of its storey.
        Box below = shrunk(slab, 0.03f);
        below.hi.y = slab.lo.y + 0.02f;
        below.lo.y = slab.lo.y - 0.1f;
        EXPECT_GT(countHits(local, below), 0);
    }
}

namespace {

struct Figure {
    std::vector<Triangle> body, leg, arm, flower;
};

// The companion's parts where the game has put them now. The feet (the lowest 0.06 of a leg) may
// touch floors and stair treads, as feet do; everything above them must stay clear.
std::vector<Box> figureBoxes(const Figure& f) {
    std::vector<Box> boxes = {boundsOf(transformed(f.body, playerBodyTransform)),
                              boundsOf(transformed(f.arm, armTransform1)),
                              boundsOf(transformed(f.arm, armTransform2)),
                              boundsOf(transformed(f.flower, flowerTransform))};
    for (const glm::mat4* m : {&footTransform1, &footTransform2}) {
        Box b = boundsOf(transformed(f.leg, *m));
        b.lo.y += 0.06f;
        boxes.push_back(b);
    }
    return boxes;
}

// The first part of the figure that touches a triangle of the scene, described for the failure
// message; empty when nothing touches. A cheap bounds test skips far triangles.
std::string figureTouches(const std::vector<Triangle>& scene, const std::vector<Box>& boxes) {
    const char* parts[6] = {"body", "arm 1", "arm 2", "flower", "leg 1", "leg 2"};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const Box& b = boxes[i];
        for (const Triangle& t : scene) {
            glm::vec3 lo = glm::min(glm::min(t.p[0], t.p[1]), t.p[2]);
            glm::vec3 hi = glm::max(glm::max(t.p[0], t.p[1]), t.p[2]);
            if (glm::any(glm::greaterThan(lo, b.hi)) || glm::any(glm::lessThan(hi, b.lo))) {
                continue;
            }
            if (triangleHitsBox(t, b)) {
                char text[200] = {0};
                std::snprintf(text, sizeof text,
                              "%s (%.3f..%.3f, %.3f..%.3f, %.3f..%.3f) touches a triangle "
                              "within (%.3f..%.3f, %.3f..%.3f, %.3f..%.3f)",
                              parts[i], b.lo.x, b.hi.x, b.lo.y, b.hi.y, b.lo.z, b.hi.z, lo.x, hi.x,
                              lo.y, hi.y, lo.z, hi.z);
                return text;
            }
        }
    }
    return "";
}

}  // namespace

TEST(WorldCompanion, WalksThroughDoorsFourAndThreeWithoutTouchingTheHouse) {
    layoutScene();
    Figure f{loadTriangles("playerWOFA"), loadTriangles("foot"), loadTriangles("arm"),
             loadTriangles("blume")};
    std::vector<Triangle> scene = transformed(loadTriangles("finished_houseWG"), houseTransform);
    std::vector<Triangle> leaf = loadTriangles("door");
    ASSERT_FALSE(f.body.empty());

    // Walk 1 starts when door 4 opens; door 3 is still shut. Walk 2 follows once door 3 opens.
    walkLegA = walkLegB = walkLegC = walkLegD = walkLegE = walkLegF = walkLegG = true;
    limbSwingTimer = 0.0f;
    limbSwingForward = true;
    openDoor4Request = true;
    openDoors();
    std::vector<Triangle> obstacles = scene;
    for (const glm::mat4* door : {&doorTransform4, &doorTransform3}) {
        std::vector<Triangle> d = transformed(leaf, *door);
        obstacles.insert(obstacles.end(), d.begin(), d.end());
    }
    const float dt = 1.0f / 30.0f;
    int frames = 0;
    glm::vec3 crossing4(0.0f);
    while (walkScript == 1 && frames < 3000) {
        animateCompanion(dt);
        ++frames;
        glm::vec3 b = positionOfMatrix(playerBodyTransform);
        if (std::fabs(b.x + 4.71f) < 0.03f) {
            crossing4 = b;
        }
        ASSERT_EQ(figureTouches(obstacles, figureBoxes(f)), "")
            << "walk 1 at " << b.x << ", " << b.y << ", " << b.z;
    }
    EXPECT_EQ(walkScript, -1);
    // It went through door 4 and ended beside the board on the level-2 platform.
    EXPECT_NEAR(crossing4.y, 7.6f, 0.01f);
    glm::vec3 end1 = positionOfMatrix(playerBodyTransform);
    EXPECT_NEAR(end1.x, -5.5f, 0.05f);
    EXPECT_NEAR(end1.y, 8.875f, 0.05f);

    openDoor3Request = true;
    openDoors();
    obstacles = scene;
    for (const glm::mat4* door : {&doorTransform4, &doorTransform3}) {
        std::vector<Triangle> d = transformed(leaf, *door);
        obstacles.insert(obstacles.end(), d.begin(), d.end());
    }
    frames = 0;
    bool crossed3 = false;
    while (walkScript == 2 && frames < 3000) {
        animateCompanion(dt);
        ++frames;
        glm::vec3 b = positionOfMatrix(playerBodyTransform);
        crossed3 = crossed3 || std::fabs(b.x + 4.71f) < 0.03f;
        ASSERT_EQ(figureTouches(obstacles, figureBoxes(f)), "")
            << "walk 2 at " << b.x << ", " << b.y << ", " << b.z;
    }
    EXPECT_EQ(walkScript, -1);
    EXPECT_TRUE(crossed3);
    EXPECT_GT(positionOfMatrix(playerBodyTransform).x, -0.35f);
}

TEST(WorldBoard, TilesAreCentredOnTheirFirstCellsAndRestOnTheBoard) {
    layoutScene();
    // Serpentine numbering: row and column of each cell; tile t starts in cell initial[t].
    const int rowOf[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    const int columnOf[9] = {0, 1, 2, 2, 1, 0, 2, 1, 0};
    const int initial[8] = {0, 1, 2, 3, 4, 5, 8, 7};
    Box board = boundsOf(loadTriangles("bord"));
    for (int t = 0; t < 8; ++t) {
        SCOPED_TRACE(t);
        std::vector<Triangle> tile = loadTriangles("Level2_" + std::to_string(t + 1));
        ASSERT_FALSE(tile.empty());
        Box b = boundsOf(tile);
        glm::vec3 centre = 0.5f * (b.lo + b.hi);
        glm::vec3 cell(0.25f * static_cast<float>(rowOf[initial[t]] - 1), centre.y,
                       0.25f * static_cast<float>(columnOf[initial[t]] - 1));
        glm::vec3 drawnAt = glm::vec3(level2PartTransform[t] * glm::vec4(centre, 1.0f));
        glm::vec3 expected = glm::vec3(boardTransform * glm::vec4(cell, 1.0f));
        EXPECT_NEAR(drawnAt.x, expected.x, 1e-4f);
        EXPECT_NEAR(drawnAt.z, expected.z, 1e-4f);
        // A tile fits its cell (0.25 pitch) and lies on the board's surface, inside its rim.
        EXPECT_LE(b.hi.x - b.lo.x, 0.245f);
        EXPECT_LE(b.hi.z - b.lo.z, 0.245f);
        EXPECT_NEAR(b.lo.y, 0.05f, 1e-3f);
        glm::vec3 worldLo = glm::vec3(level2PartTransform[t] * glm::vec4(b.lo, 1.0f));
        glm::vec3 worldHi = glm::vec3(level2PartTransform[t] * glm::vec4(b.hi, 1.0f));
        glm::vec3 boardLo = glm::vec3(boardTransform * glm::vec4(board.lo, 1.0f));
        glm::vec3 boardHi = glm::vec3(boardTransform * glm::vec4(board.hi, 1.0f));
        EXPECT_GT(worldLo.x, boardLo.x);
        EXPECT_LT(worldHi.x, boardHi.x);
        EXPECT_GT(worldLo.z, boardLo.z);
        EXPECT_LT(worldHi.z, boardHi.z);
    }
}

TEST(WorldLevel1, EachPieceFitsTheFootprintOfItsPlace) {
    // Piece 1 belongs on place 3, piece 2 on place 2, piece 3 on place 1.
    const int placeOf[4] = {0, 3, 2, 1};
    for (int piece = 1; piece <= 3; ++piece) {
        SCOPED_TRACE(piece);
        Box p = boundsOf(loadTriangles("Level1_" + std::to_string(piece)));
        Box place = boundsOf(loadTriangles("Level1_place" + std::to_string(placeOf[piece])));
        EXPECT_NEAR(p.lo.y, 0.0f, 1e-4f);
        EXPECT_GT(p.hi.y, 0.08f);
        EXPECT_LE(std::max(std::fabs(p.lo.x), std::fabs(p.hi.x)), 0.1f + 1e-4f);
        EXPECT_LE(std::max(std::fabs(p.lo.z), std::fabs(p.hi.z)), 0.1f + 1e-4f);
        EXPECT_GE(p.lo.x, place.lo.x);
        EXPECT_LE(p.hi.x, place.hi.x);
        EXPECT_GE(p.lo.z, place.lo.z);
        EXPECT_LE(p.hi.z, place.hi.z);
        // The plinth stands on the floor under its origin (7.4 - 0.1 = 7.3).
        EXPECT_NEAR(place.lo.y, -0.1f, 1e-4f);
        EXPECT_LE(place.hi.y, 0.01f);
    }
}

TEST(WorldLevel4, HiddenTopsStandUpClearOfTheirBoxes) {
    layoutScene();
    Box box = boundsOf(loadTriangles("boxhiddenkey"));
    std::vector<Triangle> top = loadTriangles("boxhiddenkeytop");
    Box closedTop = boundsOf(top);
    // Closed, the top covers the box's opening and rests on its rim.
    EXPECT_LE(closedTop.lo.x, box.lo.x + 0.02f);
    EXPECT_GE(closedTop.hi.x, box.hi.x - 0.02f);
    EXPECT_LE(closedTop.lo.z, box.lo.z + 0.02f);
    EXPECT_GE(closedTop.hi.z, box.hi.z - 0.02f);
    EXPECT_GT(closedTop.hi.y, box.hi.y + 0.05f);
    openTop3Request = true;
    hiddenTarget = 3;
    glm::mat4 closedMatrix = hiddenKeyBox3TopTransform;
    animateHiddenBoxes();
    hiddenTarget = -1;
    Box opened = boundsOf(transformed(top, glm::inverse(closedMatrix) * hiddenKeyBox3TopTransform));
    // Opened, it stands on its hinge edge behind the box's opening, not over it.
    EXPECT_GT(opened.hi.y - opened.lo.y, 0.8f);
    EXPECT_GE(opened.lo.y, box.hi.y - 0.02f);
    Box inner = box;
    inner.lo.x += 0.12f;
    inner.lo.y = box.hi.y;
    inner.hi.y = box.hi.y + 1.0f;
    EXPECT_FALSE(anyVertexInside(
        transformed(top, glm::inverse(closedMatrix) * hiddenKeyBox3TopTransform), inner));
}
