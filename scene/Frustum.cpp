#include "scene/Frustum.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float nearDistance = 0.1f;
// Only orients the side planes through the far corners; nothing limits the depth.
constexpr float farDistance = 20.0f;

Plane planeThrough(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    Plane plane;
    plane.normal = glm::normalize(glm::cross(c - b, a - b));
    plane.distance = -glm::dot(plane.normal, b);
    return plane;
}
}  // namespace

Frustum buildFrustum(const glm::vec3& position, const glm::vec3& front, int width, int height) {
    // A 60-degree vertical opening, a little wider than the projection's, so edge objects stay.
    const float tang = static_cast<float>(std::tan(0.5235988));
    const float ratio = static_cast<float>(width) / static_cast<float>(height);
    const float nearHeight = nearDistance * tang;
    const float nearWidth = nearHeight * ratio;
    const float farHeight = farDistance * tang;
    const float farWidth = farHeight * ratio;

    const glm::vec3 z = glm::normalize(-front);
    const glm::vec3 x = glm::normalize(glm::cross(glm::vec3(0.0f, 1.0f, 0.0f), z));
    const glm::vec3 y = glm::cross(z, x);
    const glm::vec3 nearCentre = position - nearDistance * z;
    const glm::vec3 farCentre = position - farDistance * z;

    const glm::vec3 ntl = nearCentre + nearHeight * y - nearWidth * x;
    const glm::vec3 ntr = nearCentre + nearHeight * y + nearWidth * x;
    const glm::vec3 nbl = nearCentre - nearHeight * y - nearWidth * x;
    const glm::vec3 nbr = nearCentre - nearHeight * y + nearWidth * x;
    const glm::vec3 ftl = farCentre + farHeight * y - farWidth * x;
    const glm::vec3 fbl = farCentre - farHeight * y - farWidth * x;
    const glm::vec3 fbr = farCentre - farHeight * y + farWidth * x;

    Frustum frustum;
    frustum.planes[0] = planeThrough(ntr, ntl, ftl);
    frustum.planes[1] = planeThrough(nbl, nbr, fbr);
    frustum.planes[2] = planeThrough(nbr, ntr, fbr);
    frustum.planes[3] = planeThrough(ntl, nbl, fbl);
    frustum.planes[4] = planeThrough(ntl, ntr, nbr);
    return frustum;
}

bool sphereInFrustum(const Frustum& frustum, const glm::vec3& centre, float radius) {
    for (const Plane& plane : frustum.planes) {
        // A not-a-number distance compares false, so undefined planes cull nothing.
        if (glm::dot(plane.normal, centre) + plane.distance < -radius) {
            return false;
        }
    }
    return true;
}

float largestAxisScale(const glm::mat4& matrix) {
    const glm::vec3 axes[3] = {glm::vec3(matrix[0]), glm::vec3(matrix[1]), glm::vec3(matrix[2])};
    // The largest stretch is the square root of the largest eigenvalue of the axes' Gram matrix,
    // which no row's sum of magnitudes falls below. For perpendicular axes the Gram matrix is
    // diagonal and this is exactly the longest axis.
    float largest = 0.0f;
    for (const glm::vec3& row : axes) {
        float sum = 0.0f;
        for (const glm::vec3& column : axes) {
            sum += std::fabs(glm::dot(row, column));
        }
        largest = std::max(largest, sum);
    }
    return std::sqrt(largest);
}
