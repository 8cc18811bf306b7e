#pragma once

#include <vector>

#include <glm/glm.hpp>

#include "render/Mesh.h"

// The clip volume of one draw, in the coordinates of the model being drawn: the six half-spaces
// -w <= x, y, z <= w of clip = M * position, each as a plane with a unit normal. A triangle wholly
// outside one of them is clipped away by the driver and never reaches a pixel, so leaving it out
// of a draw changes no pixel; it only spares the driver the vertex work.
struct ClipVolume {
    glm::vec4 planes[6]{};
    // A plane of a degenerate matrix has no direction; such a volume culls nothing.
    bool usable = false;
};

// On in the game; a test turns it off to compare frames drawn with and without it.
extern bool clipCullingEnabled;

// The clip volume of M = clip from model (the projection, view and model matrices of the draw).
ClipVolume clipVolumeOf(const glm::mat4& clipFromModel);

// True when the sphere lies wholly outside one plane, with a margin for rounding.
bool sphereOutside(const ClipVolume& volume, const glm::vec3& centre, float radius);

// Triangles per cluster, and the fewest triangles for which a mesh is split at all: a smaller mesh
// is one cluster, drawn whole or left out whole.
constexpr unsigned int clusterTriangles = 64;
constexpr unsigned int clusteredMeshTriangles = 4 * clusterTriangles;

// Splits the mesh's triangles, in their order, into clusters of `clusterTriangles`, or into one
// cluster when the mesh has fewer than `clusteredMeshTriangles`; empty for a mesh without a
// triangle. Indices are taken as they are (the mesh already keeps them inside its vertices).
std::vector<TriangleCluster> clusterMesh(const std::vector<Vertex>& vertices,
                                         const std::vector<unsigned int>& indices);
