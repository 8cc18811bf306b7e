#include "game/Layout.h"

#include <glm/gtc/matrix_transform.hpp>

glm::mat4 box1LidTransform{1.0f};
glm::mat4 box3Transform{1.0f};
glm::mat4 key1Transform{1.0f};
glm::mat4 box3LidTransform{1.0f};
glm::mat4 box1Transform{1.0f};
glm::mat4 key2Transform2{1.0f};
glm::mat4 statue1Transform{1.0f};
glm::mat4 statue2Transform{1.0f};
glm::mat4 houseTransform{1.0f};
glm::mat4 playerBodyTransform{1.0f};
glm::mat4 armTransform2{1.0f};
glm::mat4 armTransform1{1.0f};
glm::mat4 footTransform2{1.0f};
glm::mat4 footTransform1{1.0f};
glm::mat4 flowerTransform{1.0f};
glm::mat4 doorTransform8{1.0f};
glm::mat4 doorTransform2{1.0f};
glm::mat4 doorTransform4{1.0f};
glm::mat4 doorTransform3{1.0f};
glm::mat4 doorTransform9{1.0f};
glm::mat4 doorTransform6{1.0f};
glm::mat4 doorTransform5{1.0f};
glm::mat4 doorTransform1{1.0f};
glm::mat4 doorTransform10{1.0f};
glm::mat4 doorTransform11{1.0f};
glm::mat4 doorTransform7{1.0f};
glm::mat4 level1Part1Transform{1.0f};
glm::mat4 level1Part2Transform{1.0f};
glm::mat4 level1Part3Transform{1.0f};
glm::mat4 level1Place1Transform{1.0f};
glm::mat4 level1Place2Transform{1.0f};
glm::mat4 level1Place3Transform{1.0f};
glm::mat4 box2LidTransform{1.0f};
glm::mat4 box2Transform{1.0f};
glm::mat4 boardTransform{1.0f};
glm::mat4 key2Transform1{1.0f};
glm::mat4 envCubeTransform{1.0f};
glm::mat4 labyrinthTransform{1.0f};
glm::mat4 hiddenKeyBox1Transform{1.0f};
glm::mat4 hiddenKeyBox2Transform{1.0f};
glm::mat4 hiddenKeyBox3Transform{1.0f};
glm::mat4 hiddenKeyBox4Transform{1.0f};
glm::mat4 hiddenKeyBox5Transform{1.0f};
glm::mat4 hiddenKeyBox6Transform{1.0f};
glm::mat4 hiddenKeyBox7Transform{1.0f};
glm::mat4 hiddenKeyBox8Transform{1.0f};
glm::mat4 hiddenKeyBox1TopTransform{1.0f};
glm::mat4 hiddenKeyBox2TopTransform{1.0f};
glm::mat4 hiddenKeyBox3TopTransform{1.0f};
glm::mat4 hiddenKeyBox4TopTransform{1.0f};
glm::mat4 hiddenKeyBox5TopTransform{1.0f};
glm::mat4 hiddenKeyBox6TopTransform{1.0f};
glm::mat4 hiddenKeyBox7TopTransform{1.0f};
glm::mat4 hiddenKeyBox8TopTransform{1.0f};
glm::mat4 middlePart2Transform{1.0f};
glm::mat4 middlePart3Transform{1.0f};
glm::mat4 middlePart4Transform{1.0f};
glm::mat4 middlePart5Transform{1.0f};
glm::mat4 middlePart7Transform{1.0f};
glm::mat4 middlePart8Transform{1.0f};
glm::mat4 plate1Transform{1.0f};
glm::mat4 plate2Transform{1.0f};
glm::mat4 plate3Transform{1.0f};
glm::mat4 plate4Transform{1.0f};
glm::mat4 plate5Transform{1.0f};
glm::mat4 plate7Transform{1.0f};
glm::mat4 plate8Transform{1.0f};
glm::mat4 testTransform{1.0f};
glm::mat4 extraKeyBTransform{1.0f};
glm::mat4 extraKeyATransform{1.0f};
glm::mat4 level2PartTransform[8] = {glm::mat4{1.0f}, glm::mat4{1.0f}, glm::mat4{1.0f},
                                    glm::mat4{1.0f}, glm::mat4{1.0f}, glm::mat4{1.0f},
                                    glm::mat4{1.0f}, glm::mat4{1.0f}};

namespace {

constexpr float pi = 3.1415927f;
constexpr float halfPi = 1.5707964f;
constexpr float threeHalvesPi = 4.712389f;
const glm::vec3 up(0.0f, 1.0f, 0.0f);
const glm::mat4 identity(1.0f);

glm::mat4 moved(const glm::mat4& from, float x, float y, float z) {
    return glm::translate(from, glm::vec3(x, y, z));
}

glm::mat4 scaled(const glm::mat4& from, float s) {
    return glm::scale(from, glm::vec3(s));
}

glm::mat4 turned(const glm::mat4& from, float radians) {
    return glm::rotate(from, radians, up);
}

// translate(x, y, z) then the uniform scale, the placement of most single objects.
glm::mat4 placed(float x, float y, float z, float s) {
    return scaled(moved(identity, x, y, z), s);
}

// A half, quarter or three-quarter turn first, then the placement in the turned frame.
glm::mat4 turnedPlaced(float radians, float x, float y, float z, float s) {
    return scaled(moved(turned(identity, radians), x, y, z), s);
}

}  // namespace

void layoutScene() {
    box1LidTransform = placed(-2.2f, 7.405f, -3.5f, 0.22f);
    box3Transform = placed(-2.2f, 7.4f, -3.5f, 0.22f);
    key1Transform = placed(-2.2f, 7.34f, -3.5f, 0.035f);
    box3LidTransform = placed(-0.7f, 8.655f, -5.0f, 0.22f);
    box1Transform = placed(-0.7f, 8.65f, -5.0f, 0.22f);
    key2Transform2 = placed(-0.7f, 8.65f, -10.0f, 0.035f);
    statue1Transform = placed(-2.0f, 8.5f, -3.0f, 0.7f);
    statue2Transform = placed(-4.0f, 8.5f, -3.0f, 0.7f);
    houseTransform = placed(-2.0f, 6.0f, -4.0f, 0.2f);

    // The companion's limbs start from its body and keep its scale.
    playerBodyTransform = placed(-1.0f, 7.6f, -3.0f, 0.2f);
    armTransform2 = playerBodyTransform;
    armTransform1 = turned(playerBodyTransform, pi);
    footTransform2 = moved(moved(playerBodyTransform, 0.0f, -0.2f, 0.0f), 0.0f, 0.0f, -0.4f);
    footTransform1 = moved(playerBodyTransform, 0.0f, -0.2f, 0.0f);
    flowerTransform = scaled(moved(playerBodyTransform, 0.0f, -1.2f, 0.5f), 0.2f);

    // The doors form a chain: each is the previous one moved in its scaled (and, from door 5 on,
    // turned) frame. 67.5 and 0.05 are radians.
    doorTransform8 = placed(0.376f, 6.48f, -4.83f, 0.2f);
    doorTransform2 = moved(moved(doorTransform8, -0.376f, -6.48f, 4.83f), -2.27f, 12.48f, -4.83f);
    doorTransform4 = moved(moved(doorTransform2, -0.376f, 0.0f, 4.83f), -22.8f, 0.0f, 14.5f);
    doorTransform3 = moved(doorTransform4, 0.0f, 6.2f, 0.0f);
    doorTransform9 = moved(doorTransform3, 23.82f, 0.0f, 4.48f);
    doorTransform6 = moved(doorTransform9, 0.0f, 6.2f, 0.0f);
    doorTransform5 = turned(moved(doorTransform6, -2.9f, 0.0f, -27.4f), 67.5f);
    doorTransform1 = moved(doorTransform5, 30.2f, -6.2f, 7.75f);
    doorTransform10 = turned(moved(doorTransform1, -13.58f, -6.2f, 9.78f), 0.05f);
    doorTransform11 = moved(doorTransform10, 0.1f, 0.0f, -18.44f);
    doorTransform7 = moved(doorTransform11, -15.8f, -6.0f, 4.75f);

    level1Part1Transform = moved(identity, -3.7f, 7.3f, -4.0f);
    level1Part2Transform = moved(identity, -2.2f, 7.3f, -2.0f);
    level1Part3Transform = moved(identity, -0.3f, 7.3f, -3.5f);
    level1Place1Transform = moved(identity, -2.2f, 7.4f, -4.0f);
    level1Place2Transform = moved(identity, -4.5f, 7.4f, -4.0f);
    level1Place3Transform = moved(identity, -4.0f, 7.4f, -5.2f);

    box2LidTransform = placed(-5.7f, 8.655f, -1.0f, 0.22f);
    box2Transform = placed(-5.7f, 8.65f, -1.0f, 0.22f);
    boardTransform = placed(-5.7f, 8.8f, -1.0f, 0.3f);
    key2Transform1 = placed(-5.7f, 8.7f, -1.0f, 0.035f);

    envCubeTransform = turned(scaled(identity, 2.0f), threeHalvesPi);
    // Scaled first, so the translation is in house-model units and lands on the house's origin.
    labyrinthTransform = moved(scaled(identity, 0.2f), -10.0f, 30.0f, -20.0f);

    hiddenKeyBox1Transform = placed(-3.95f, 8.53f, 2.95f, 0.4f);
    hiddenKeyBox1TopTransform = hiddenKeyBox1Transform;
    hiddenKeyBox2Transform = placed(-3.95f, 8.53f, 1.0f, 0.4f);
    hiddenKeyBox2TopTransform = hiddenKeyBox2Transform;
    middlePart2Transform = hiddenKeyBox2Transform;
    hiddenKeyBox3Transform = placed(-3.95f, 8.53f, 2.0f, 0.4f);
    hiddenKeyBox3TopTransform = hiddenKeyBox3Transform;
    middlePart3Transform = hiddenKeyBox3Transform;
    hiddenKeyBox4Transform = turnedPlaced(pi, 1.15f, 8.53f, -2.95f, 0.4f);
    hiddenKeyBox4TopTransform = hiddenKeyBox4Transform;
    middlePart4Transform = hiddenKeyBox4Transform;
    hiddenKeyBox5Transform = turnedPlaced(pi, 1.15f, 8.53f, -1.0f, 0.4f);
    hiddenKeyBox5TopTransform = hiddenKeyBox5Transform;
    middlePart5Transform = hiddenKeyBox5Transform;
    hiddenKeyBox6Transform = turnedPlaced(pi, 1.15f, 8.53f, -2.0f, 0.4f);
    hiddenKeyBox6TopTransform = hiddenKeyBox6Transform;
    hiddenKeyBox7Transform = turnedPlaced(halfPi, -2.0f, 8.53f, -2.9f, 0.4f);
    hiddenKeyBox7TopTransform = hiddenKeyBox7Transform;
    middlePart7Transform = hiddenKeyBox7Transform;
    hiddenKeyBox8Transform = turnedPlaced(threeHalvesPi, 2.0f, 8.53f, 2.18f, 0.4f);
    hiddenKeyBox8TopTransform = hiddenKeyBox8Transform;
    middlePart8Transform = turnedPlaced(threeHalvesPi, 2.0f, 8.53f, 2.15f, 0.4f);

    plate1Transform = moved(identity, -3.76f, 8.35f, 3.15f);
    plate2Transform = moved(identity, -3.75f, 8.35f, 1.2f);
    plate3Transform = moved(identity, -3.75f, 8.35f, 2.2f);
    plate4Transform = moved(turned(identity, pi), 1.35f, 8.35f, -2.75f);
    plate5Transform = moved(turned(identity, pi), 1.35f, 8.35f, -0.8f);
    testTransform = moved(turned(identity, pi), 1.15f, 8.35f, -2.2f);
    plate7Transform = moved(turned(identity, halfPi), -1.8f, 8.35f, -2.7f);
    plate8Transform = moved(turned(identity, threeHalvesPi), 2.2f, 8.35f, 2.4f);
    extraKeyBTransform = turnedPlaced(pi, 1.3f, 8.85f, -1.8f, 0.035f);
    extraKeyATransform = placed(-3.8f, 8.85f, 3.15f, 0.035f);

    // The tiles all share the board's placement; tile 6's model sits off-centre and is shifted
    // back.
    level2PartTransform[0] = placed(-5.7f, 8.8f, -1.0f, 0.3f);
    for (int tile = 1; tile < 8; ++tile) {
        level2PartTransform[tile] = level2PartTransform[0];
    }
    level2PartTransform[6] = moved(placed(-5.7f, 8.8f, -1.0f, 0.3f), 0.0f, 0.0f, -0.525f);
}
