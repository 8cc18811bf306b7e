// The view-frustum test and the shadow pass's depth offset and matrices, without a context.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Frustum.h"
#include "scene/PassSetup.h"
#include "scene/ShadowPass.h"

namespace {

// The camera at the origin in a 1600 x 900 window, looking along -z; spheres of radius one, each
// row a centre just inside and one just outside a plane.
TEST(Frustum, SpheresPassTheNearPlaneAndTheFourSidesOnlyWithin) {
    const auto visible = [](const glm::vec3& centre, const glm::vec3& front) {
        return sphereInFrustum(buildFrustum(glm::vec3(0.0f), front, 1600, 900), centre, 1.0f);
    };
    const glm::vec3 ahead(0.0f, 0.0f, -1.0f);
    const struct {
        glm::vec3 inside, outside, front;
    } rows[] = {// The near plane a tenth ahead (there is no far plane).
                {{0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, 0.91f}, ahead},
                // Top and bottom at z = -5: 5 tan 30 + 1 / cos 30 = 4.0415.
                {{0.0f, 4.03f, -5.0f}, {0.0f, 4.05f, -5.0f}, ahead},
                {{0.0f, -4.03f, -5.0f}, {0.0f, -4.05f, -5.0f}, ahead},
                // Right and left: 5 tan(30) 16/9 + 1 / cos(beta) = 6.565, for any front length.
                {{6.555f, 0.0f, -5.0f}, {6.575f, 0.0f, -5.0f}, 7.0f * ahead},
                {{-6.555f, 0.0f, -5.0f}, {-6.575f, 0.0f, -5.0f}, ahead}};
    for (const auto& row : rows) {
        EXPECT_TRUE(visible(row.inside, row.front) && !visible(row.outside, row.front))
            << &row - rows;
    }
    // Straight up (or a zero vector) leaves the planes undefined: everything passes, even
    // objects behind the camera.
    EXPECT_TRUE(visible({0.0f, -50.0f, 0.0f}, {0.0f, 1.0f, 0.0f}));
    EXPECT_TRUE(visible({0.0f, 0.0f, 30.0f}, glm::vec3(0.0f)));
}

TEST(FrustumSphere, RadiusWidensTheTestAndTheScaleBoundsEveryStretch) {
    const Frustum frustum = buildFrustum(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f), 1600, 900);
    // The near plane at z = -0.1: a sphere at z = 5.9 reaches it with radius 6.
    EXPECT_TRUE(sphereInFrustum(frustum, glm::vec3(0.0f, 0.0f, 5.89f), 6.0f));
    EXPECT_FALSE(sphereInFrustum(frustum, glm::vec3(0.0f, 0.0f, 5.91f), 6.0f));

    // Perpendicular axes: exactly the longest one.
    glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, -2.0f, 7.0f));
    placed = glm::rotate(placed, 67.5f, glm::vec3(0.3f, 1.0f, 0.2f));
    placed = glm::scale(placed, glm::vec3(0.2f, 0.5f, 0.3f));
    EXPECT_NEAR(largestAxisScale(placed), 0.5f, 1e-5f);
    // A stretch turned afterwards shears the axes; the figure still bounds every length's growth.
    glm::mat4 sheared = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 1.0f, 1.0f));
    sheared = glm::rotate(sheared, 0.7853982f, glm::vec3(0.0f, 0.0f, 1.0f));
    const float bound = largestAxisScale(sheared);
    EXPECT_LE(bound, 2.5f);
    for (const glm::vec3& v : {glm::vec3(1, 0, 0), glm::vec3(1, 1, 0), glm::vec3(1, -1, 0.5f)}) {
        EXPECT_LE(glm::length(glm::vec3(sheared * glm::vec4(v, 0.0f))),
                  bound * glm::length(v) + 1e-5f);
    }
}

TEST(ShadowPassMath, DepthOffsetFollowsTheViewDirection) {
    for (const auto& [front, factor, units] :
         {std::tuple{glm::vec3(0.0f, 0.3f, -1.0f), 4.5f, 9.0f},
          std::tuple{glm::vec3(-0.5f, 0.0f, 0.5f), 6.3639612f, 6.3639612f},
          std::tuple{glm::vec3(2.0f, 0.0f, 0.0f), 9.0f, 4.5f}}) {
        EXPECT_NEAR(polygonOffsetFor(front).factor, factor, 1e-5f) << front.x;
        EXPECT_NEAR(polygonOffsetFor(front).units, units, 1e-5f) << front.x;
    }
}

}  // namespace
