#pragma once

#include <glm/glm.hpp>

// A plane with unit normal n and distance d; n . c + d is positive on the inner side.
struct Plane {
    glm::vec3 normal{0.0f};
    float distance = 0.0f;
};

// The player's view volume for culling: top, bottom, right, left and near planes, all facing
// inwards. There is no far plane, so anything straight ahead passes however far away it is.
struct Frustum {
    Plane planes[5];
};

// Built from the camera position and view direction (any length) and the window size. Looking
// straight up or down leaves the planes undefined (not-a-number), which lets every object pass.
Frustum buildFrustum(const glm::vec3& position, const glm::vec3& front, int width, int height);

// True when a sphere of the given radius about the centre may be visible: no plane has the whole
// sphere on its outer side.
bool sphereInFrustum(const Frustum& frustum, const glm::vec3& centre, float radius);

// How much the matrix stretches a length at most: its largest axis scale when its axes are
// perpendicular (every placement of the game), and an upper bound of it when they are not.
float largestAxisScale(const glm::mat4& matrix);
