#include "render/ClipCulling.h"

#include <algorithm>
#include <cmath>

bool clipCullingEnabled = true;

ClipVolume clipVolumeOf(const glm::mat4& m) {
    // Rows of M: clip x = dot(row0, p), ..., w = dot(row3, p).
    const glm::vec4 row0(m[0][0], m[1][0], m[2][0], m[3][0]);
    const glm::vec4 row1(m[0][1], m[1][1], m[2][1], m[3][1]);
    const glm::vec4 row2(m[0][2], m[1][2], m[2][2], m[3][2]);
    const glm::vec4 row3(m[0][3], m[1][3], m[2][3], m[3][3]);
    ClipVolume volume;
    const glm::vec4 planes[6] = {row3 + row0, row3 - row0, row3 + row1,
                                 row3 - row1, row3 + row2, row3 - row2};
    volume.usable = true;
    for (int i = 0; i < 6; ++i) {
        const float length = glm::length(glm::vec3(planes[i]));
        if (!(length > 1e-20f) || !std::isfinite(length)) {
            volume.usable = false;
            return volume;
        }
        volume.planes[i] = planes[i] / length;
    }
    return volume;
}

bool sphereOutside(const ClipVolume& volume, const glm::vec3& centre, float radius) {
    if (!volume.usable) {
        return false;
    }
    // Beyond the radius by a thousandth of it and a little more, so that rounding in the plane
    // or the sphere never drops a triangle that touches the volume.
    const float margin = radius * 1.001f + 1e-4f;
    for (const glm::vec4& plane : volume.planes) {
        if (glm::dot(glm::vec3(plane), centre) + plane.w < -margin) {
            return true;
        }
    }
    return false;
}

std::vector<TriangleCluster> clusterMesh(const std::vector<Vertex>& vertices,
                                         const std::vector<unsigned int>& indices) {
    std::vector<TriangleCluster> clusters;
    const std::size_t triangles = indices.size() / 3;
    if (triangles == 0 || vertices.empty()) {
        return clusters;
    }
    const std::size_t perCluster =
        3 * (triangles < clusteredMeshTriangles ? triangles : clusterTriangles);
    const std::size_t usedIndices = 3 * triangles;
    for (std::size_t first = 0; first < usedIndices; first += perCluster) {
        const std::size_t end = std::min(first + perCluster, usedIndices);
        TriangleCluster cluster;
        cluster.firstIndex = static_cast<unsigned int>(first);
        cluster.indexCount = static_cast<unsigned int>(end - first);
        cluster.lowestVertex = indices[first];
        cluster.highestVertex = indices[first];
        glm::vec3 low = vertices[indices[first]].position;
        glm::vec3 high = low;
        for (std::size_t i = first; i < end; ++i) {
            const unsigned int index = indices[i];
            cluster.lowestVertex = std::min(cluster.lowestVertex, index);
            cluster.highestVertex = std::max(cluster.highestVertex, index);
            low = glm::min(low, vertices[index].position);
            high = glm::max(high, vertices[index].position);
        }
        cluster.centre = 0.5f * (low + high);
        for (std::size_t i = first; i < end; ++i) {
            cluster.radius = std::max(cluster.radius,
                                      glm::length(vertices[indices[i]].position - cluster.centre));
        }
        clusters.push_back(cluster);
    }
    return clusters;
}
