#include "game/Click.h"

#include <cmath>
#include <iostream>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/Camera.h"
#include "game/Board.h"
#include "game/Effects.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

// Cone half-angles in radians (the degrees they stand for in the names) and reaches.
constexpr float cone20 = 0.34906584f;
constexpr float cone10_5 = 0.18325958f;
constexpr float cone15_5 = 0.27052602f;
constexpr float cone20_5 = 0.3577925f;
constexpr float cone25_5 = 0.44505894f;
constexpr float cone30_5 = 0.53232545f;

// Taken keys drop 40 model units, out of sight.
const glm::vec3 hiddenBelow(0.0f, -40.0f, 0.0f);

bool pointedAt(const glm::mat4& model, float angle, float reach) {
    return gazeTest(positionOf(model), angle, reach);
}

double horizontalDistanceFromOrigin(const glm::mat4& model) {
    const glm::vec3 p = positionOf(model);
    return std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.z) * p.z);
}

void takeKey(glm::mat4& key) {
    key = glm::translate(key, hiddenBelow);
    keyTaken = true;
    solvedLevel = -1;
    holdingKey = true;
    claimedKeyLevel = currentLevel;
}

// A click drops the carried piece and may pick up one in view; of two in view the one nearer the
// world's vertical axis wins, the earlier one on a tie.
void clickPieces() {
    double d1 = 0.0;
    double d2 = 0.0;
    if (carryingPart1) {
        carryingPart1 = false;
    } else if (pointedAt(level1Part1Transform, cone20_5, 1.0f)) {
        carryingPart1 = true;
        d1 = horizontalDistanceFromOrigin(level1Part1Transform);
    }

    if (carryingPart2) {
        carryingPart2 = false;
    } else if (pointedAt(level1Part2Transform, cone20_5, 1.0f)) {
        d2 = horizontalDistanceFromOrigin(level1Part2Transform);
        if (!carryingPart1) {
            carryingPart2 = true;
        } else if (d1 > d2) {
            carryingPart1 = false;
            carryingPart2 = true;
        }
    }

    if (carryingPart3) {
        carryingPart3 = false;
    } else if (pointedAt(level1Part3Transform, cone20_5, 1.0f)) {
        const double d3 = horizontalDistanceFromOrigin(level1Part3Transform);
        if (carryingPart1) {
            if (d1 > d3) {
                carryingPart1 = false;
                carryingPart3 = true;
            }
        } else if (!carryingPart2) {
            carryingPart3 = true;
        } else if (d2 > d3) {
            carryingPart2 = false;
            carryingPart3 = true;
        }
    }
}

void clickLevel1() {
    clickPieces();
    if (!keyTaken && solvedLevel == 1) {
        // While the reward shows, a click is about the key only; a taken key is gone for good.
        if (claimedKeyLevel < 1 && pointedAt(key1Transform, cone10_5, 2.0f)) {
            takeKey(key1Transform);
        }
        return;
    }
    if (holdingKey && pointedAt(doorTransform4, cone20_5, 2.0f)) {
        openDoor4Request = true;
        holdingKey = false;
        keyTaken = false;
    }
}

void clickLevel2() {
    // A solved board has nothing left to play; entering it would only pin the camera and lift a
    // tile for one frame, typically on the click that takes the key beside it.
    if (!boardMode && !boardSolved() && pointedAt(boardTransform, cone20, 1.0f)) {
        boardMode = true;
        liftSelectedTile();
    }
    if (!keyTaken && solvedLevel == 2) {
        if (claimedKeyLevel < 2 && pointedAt(key2Transform1, cone15_5, 1.0f)) {
            takeKey(key2Transform1);
        }
        return;
    }
    if (holdingKey && pointedAt(doorTransform3, cone30_5, 1.0f)) {
        openDoor3Request = true;
        holdingKey = false;
        keyTaken = false;
    }
}

void clickLevel3() {
    if (!boxChaseDone) {
        if (!pointedAt(box1Transform, cone25_5, 1.0f)) {
            return;
        }
        ++boxChaseClicks;
        if (boxChaseClicks == 1) {
            box1Transform = glm::translate(box1Transform, glm::vec3(0.0f, 0.0f, 20.0f));
            box3LidTransform = glm::translate(box3LidTransform, glm::vec3(0.0f, 0.0f, 20.0f));
        } else if (boxChaseClicks == 2) {
            box1Transform = glm::translate(box1Transform, glm::vec3(-15.0f, 0.0f, 0.0f));
            box3LidTransform = glm::translate(box3LidTransform, glm::vec3(-15.0f, 0.0f, 0.0f));
        } else {
            // The key waits outside the house until the box is caught; then it appears in it.
            key2Transform2[3].x = box1Transform[3].x;
            key2Transform2[3].z = box1Transform[3].z;
            solvedLevel = 3;
            boxChaseDone = true;
        }
        return;
    }
    if (!keyTaken && solvedLevel == 3) {
        if (pointedAt(key2Transform2, cone20_5, 1.0f)) {
            takeKey(key2Transform2);
        }
        return;
    }
    if (holdingKey && pointedAt(doorTransform1, cone30_5, 1.0f)) {
        openDoor1Request = true;
        holdingKey = false;
    }
}

void clickLevel4() {
    const glm::mat4* const tops[8] = {&hiddenKeyBox1TopTransform, &hiddenKeyBox2TopTransform,
                                      &hiddenKeyBox3TopTransform, &hiddenKeyBox4TopTransform,
                                      &hiddenKeyBox5TopTransform, &hiddenKeyBox6TopTransform,
                                      &hiddenKeyBox7TopTransform, &hiddenKeyBox8TopTransform};
    bool* const requests[8] = {&openTop1Request, &openTop2Request, &openTop3Request,
                               &openTop4Request, &openTop5Request, &openTop6Request,
                               &openTop7Request, &openTop8Request};
    // Every test runs; the last one that hits names the target. An opened top stays open: it is
    // no target any more, so reaching into its box (for key A or B) leaves it alone.
    for (int box = 0; box < 8; ++box) {
        if (!hiddenTopOpened[box] && pointedAt(*tops[box], cone30_5, 1.5f)) {
            hiddenTarget = box + 1;
            *requests[box] = true;
        }
    }
    if (keyABoxOpen && !keyATaken && pointedAt(extraKeyATransform, cone15_5, 1.0f)) {
        extraKeyATransform = glm::translate(extraKeyATransform, hiddenBelow);
        keyATaken = true;
        holdingKeyA = true;
    }
    if (keyBBoxOpen && !keyBTaken && pointedAt(extraKeyBTransform, cone15_5, 1.0f)) {
        extraKeyBTransform = glm::translate(extraKeyBTransform, hiddenBelow);
        keyBTaken = true;
        holdingKeyB = true;
    }
    // Door 6 is the way out: every click on it wins, with or without key A.
    if (pointedAt(doorTransform6, cone30_5, 1.0f)) {
        hiddenTarget = 9;
        std::cout << "YOU WON";
        applyBlendingEffect();
    }
    if (pointedAt(doorTransform9, cone30_5, 1.0f)) {
        hiddenTarget = 10;
    }
}

}  // namespace

bool gazeTest(const glm::vec3& target, float angle, float reach) {
    if (!playerCamera) {
        return false;
    }
    const glm::vec3 toEye = playerCamera->position - target;
    const float distance = glm::length(toEye);
    // On the target itself there is no direction to compare.
    if (!(distance > 0.0f)) {
        return false;
    }
    const glm::vec3 fromTarget = toEye / distance;
    const glm::vec3 back = -playerCamera->front / glm::length(playerCamera->front);
    return glm::dot(fromTarget, back) > std::cos(angle) && distance < reach;
}

void handleClick(GLFWwindow* /*window*/, int /*button*/, int /*action*/, int /*mods*/) {
    switch (currentLevel) {
        case 1:
            clickLevel1();
            break;
        case 2:
            clickLevel2();
            break;
        case 3:
            clickLevel3();
            break;
        case 4:
            clickLevel4();
            break;
        default:
            break;
    }
}
