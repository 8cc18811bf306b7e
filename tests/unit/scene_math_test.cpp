// The view-frustum test and the shadow pass's depth offset and matrices, without a context.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Frustum.h"
#include "scene/PassSetup.h"
#include "scene/ShadowPass.h"

namespace {

// The camera at the origin looking along -z in a 1600 x 900 window.
class FrustumTest : public testing::Test {
protected:
    bool visible(float x, float y, float z, glm::vec3 front = {0.0f, 0.0f, -1.0f}) const {
        const Frustum frustum = buildFrustum(glm::vec3(0.0f), front, 1600, 900);
        return sphereInFrustum(frustum, glm::vec3(x, y, z), 1.0f);
    }
};

TEST_F(FrustumTest, NearPlaneIsATenthAheadAndThereIsNoFarPlane) {
    EXPECT_TRUE(visible(0.0f, 0.0f, 0.89f));
    EXPECT_FALSE(visible(0.0f, 0.0f, 0.91f));
    EXPECT_TRUE(visible(0.0f, 0.0f, -1000.0f));
}

TEST_F(FrustumTest, SidesLeanThirtyDegreesVerticallyAndWiderHorizontally) {
    for (const float side : {1.0f, -1.0f}) {
        // Top and bottom at z = -5: 5 tan 30 + 1 / cos 30 = 4.0415.
        EXPECT_TRUE(visible(0.0f, side * 4.03f, -5.0f));
        EXPECT_FALSE(visible(0.0f, side * 4.05f, -5.0f));
        // Right and left at z = -5: 5 tan(30) 16/9 + 1 / cos(beta) = 6.565.
        EXPECT_TRUE(visible(side * 6.555f, 0.0f, -5.0f));
        EXPECT_FALSE(visible(side * 6.575f, 0.0f, -5.0f));
    }
}

TEST_F(FrustumTest, FrontLengthDoesNotMatterAndLookingStraightUpCullsNothing) {
    const glm::vec3 longFront(0.0f, 0.0f, -7.0f);
    EXPECT_TRUE(visible(6.555f, 0.0f, -5.0f, longFront));
    EXPECT_FALSE(visible(6.575f, 0.0f, -5.0f, longFront));
    const glm::vec3 slanted(0.6f, 0.2f, -0.8f);
    for (float x : {-8.0f, -2.0f, 0.0f, 3.0f, 9.0f}) {
        EXPECT_EQ(visible(x, 1.0f, -4.0f, slanted), visible(x, 1.0f, -4.0f, slanted * 3.5f)) << x;
    }
    // Straight up (or a zero vector) leaves the planes undefined: everything passes, even
    // objects behind the camera.
    EXPECT_TRUE(visible(0.0f, -50.0f, 0.0f, glm::vec3(0.0f, 1.0f, 0.0f)));
    EXPECT_TRUE(visible(0.0f, 0.0f, 30.0f, glm::vec3(0.0f, -2.0f, 0.0f)));
    EXPECT_TRUE(visible(0.0f, 0.0f, 30.0f, glm::vec3(0.0f)));
}

TEST(FrustumSphere, RadiusWidensTheTestAndTheScaleBoundsEveryStretch) {
    const Frustum frustum = buildFrustum(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f), 1600, 900);
    // The near plane at z = -0.1: a sphere at z = 5.9 reaches it with radius 6.
    EXPECT_TRUE(sphereInFrustum(frustum, glm::vec3(0.0f, 0.0f, 5.89f), 6.0f));
    EXPECT_FALSE(sphereInFrustum(frustum, glm::vec3(0.0f, 0.0f, 5.91f), 6.0f));
    EXPECT_FALSE(sphereInFrustum(frustum, glm::vec3(0.0f, 0.0f, 0.11f), 0.0f));

    // Perpendicular axes: exactly the longest one.
    glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, -2.0f, 7.0f));
    placed = glm::rotate(placed, 67.5f, glm::vec3(0.3f, 1.0f, 0.2f));
    placed = glm::scale(placed, glm::vec3(0.2f, 0.5f, 0.3f));
    EXPECT_NEAR(largestAxisScale(placed), 0.5f, 1e-5f);
    // A stretch turned afterwards shears the axes; the figure still bounds every length's growth.
    glm::mat4 sheared = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 1.0f, 1.0f));
    sheared = glm::rotate(sheared, 0.7853982f, glm::vec3(0.0f, 0.0f, 1.0f));
    const float bound = largestAxisScale(sheared);
    EXPECT_GE(bound, 2.0f - 1e-5f);
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
