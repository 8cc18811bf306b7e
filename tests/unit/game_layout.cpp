// The fixed placement of the world: a few matrices whose values expose a wrong convention
// (pre- instead of post-multiplication, degrees instead of radians, scale before translation).

#include <gtest/gtest.h>

#include "game/GameState.h"
#include "game/Layout.h"

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec3 firstColumn(const glm::mat4& model) {
    return glm::vec3(model[0]);
}

}  // namespace

TEST(Layout, DoorChainCarriesScaleAndRadianTurnsToItsEnd) {
    layoutScene();
    // Turned by 67.5 radians at door 5 and 0.05 more at door 10, in the 0.2-scaled frame.
    expectNear(positionOf(doorTransform5), {-0.6044f, 10.16f, -5.548f});
    expectNear(positionOf(doorTransform10), {-4.254f, 7.68f, -2.3823f});
    expectNear(positionOf(doorTransform7), {-1.5341f, 6.48f, -5.538f});
    expectNear(firstColumn(doorTransform7), {0.0012f, 0.0f, 0.2f}, 1e-3f);
    // The exit doors the rules open and click.
    expectNear(positionOf(doorTransform4), {-4.7884f, 7.68f, -0.964f});
    expectNear(positionOf(doorTransform1), {-2.42f, 8.92f, 0.4175f});
    expectNear(positionOf(doorTransform6), {-0.0244f, 10.16f, -0.068f});
}

TEST(Layout, ObjectsPlacedFromOthersOrInTurnedFrames) {
    layoutScene();
    // The second arm is the first turned half round; both hang at the body.
    expectNear(firstColumn(armTransform1), {-0.2f, 0.0f, 0.0f});
    expectNear(firstColumn(armTransform2), {0.2f, 0.0f, 0.0f});
    expectNear(positionOf(armTransform1), positionOf(playerBodyTransform));
    expectNear(positionOf(footTransform2), {-1.0f, 7.56f, -3.08f});
    expectNear(positionOf(flowerTransform), {-1.0f, 7.36f, -2.9f});
    // Scaled before it is moved, so it lands on the house's origin.
    expectNear(positionOf(labyrinthTransform), positionOf(houseTransform));
    expectNear(firstColumn(labyrinthTransform), {0.2f, 0.0f, 0.0f});
    // Boxes placed in a turned frame: the offsets are turned with it.
    expectNear(positionOf(hiddenKeyBox4TopTransform), {-1.15f, 8.53f, 2.95f});
    expectNear(positionOf(hiddenKeyBox7Transform), {-2.9f, 8.53f, 2.0f});
    expectNear(positionOf(hiddenKeyBox8Transform), {-2.18f, 8.53f, 2.0f});
    expectNear(positionOf(middlePart8Transform), {-2.15f, 8.53f, 2.0f});
    expectNear(positionOf(extraKeyBTransform), {-1.3f, 8.85f, 1.8f});
    expectNear(positionOf(envCubeTransform), {0.0f, 0.0f, 0.0f});
    // Tile 6 carries its extra shift in the board's 0.3 scale.
    expectNear(positionOf(level2PartTransform[6]), {-5.7f, 8.8f, -1.1575f});
    expectNear(positionOf(level2PartTransform[7]), {-5.7f, 8.8f, -1.0f});
}

TEST(Layout, RebuildingRestoresMovedObjects) {
    layoutScene();
    const glm::mat4 door = doorTransform3;
    doorTransform3 = glm::mat4(2.0f);
    level2PartTransform[3][3].y = 0.0f;
    layoutScene();
    EXPECT_EQ(doorTransform3, door);
    EXPECT_FLOAT_EQ(level2PartTransform[3][3].y, 8.8f);
}
