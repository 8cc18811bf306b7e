#include "game/Animations.h"

#include <cstddef>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/Camera.h"
#include "game/GameState.h"
#include "game/Layout.h"

namespace {

constexpr float quarterPi = 0.7853982f;
constexpr float halfPi = 1.5707964f;
// The doors turn by the number 90 taken as radians, about 116.6 degrees.
constexpr float doorTurn = 90.0f;
const glm::vec3 up(0.0f, 1.0f, 0.0f);

void moveBy(glm::mat4& model, const glm::vec3& offset) {
    model = glm::translate(model, offset);
}

void turnBy(glm::mat4& model, float radians, const glm::vec3& axis) {
    model = glm::rotate(model, radians, axis);
}

void openDoor(glm::mat4& door, const glm::vec3& afterTurn) {
    turnBy(door, doorTurn, up);
    moveBy(door, afterTurn);
}

// One leg of a companion walk: it runs while the body's x (axis 0) or z (axis 2) is on the given
// side of the bound and its latch is set, and clears the previous leg's latch.
struct WalkLeg {
    bool* latch;
    bool* clears;
    int axis;
    bool atMost;
    float bound;
    glm::vec3 velocity;
    // Above this height the leg goes on level instead of climbing.
    double climbsUpTo;
};

constexpr double noClimbLimit = 1.0e30;

const WalkLeg firstWalk[] = {
    {&walkLegA, nullptr, 0, true, -0.5f, {2.0f, 0.0f, 0.0f}, noClimbLimit},
    {&walkLegB, &walkLegA, 2, true, -1.0f, {0.0f, 0.0f, 2.0f}, noClimbLimit},
    {&walkLegC, &walkLegB, 0, false, -5.0f, {-2.0f, 0.0f, 0.0f}, noClimbLimit},
    {&walkLegD, &walkLegC, 2, false, -1.6f, {0.0f, 0.0f, -2.0f}, noClimbLimit},
    {&walkLegE, &walkLegD, 0, false, -6.5f, {-2.0f, 0.6f, 0.0f}, noClimbLimit},
    {&walkLegF, &walkLegE, 2, true, -0.4f, {0.0f, 0.7f, 2.0f}, noClimbLimit},
    {&walkLegG, &walkLegF, 0, true, -5.5f, {2.0f, 0.8f, 0.0f}, 10.3},
};

const WalkLeg secondWalk[] = {
    {&walkLegA, nullptr, 2, false, -1.0f, {0.0f, 0.0f, -2.0f}, noClimbLimit},
    {&walkLegB, &walkLegA, 0, true, -0.3f, {2.0f, 0.0f, 0.0f}, noClimbLimit},
};

bool legApplies(const WalkLeg& leg, const glm::vec3& body) {
    if (!*leg.latch) {
        return false;
    }
    const float value = body[leg.axis];
    return leg.atMost ? value <= leg.bound : value >= leg.bound;
}

// Runs the first leg that applies; when none does the walk is over and the latches are re-armed
// for the next one.
template <std::size_t legCount>
void walk(const WalkLeg (&legs)[legCount], float dt) {
    const glm::vec3 body = positionOf(playerBodyTransform);
    for (const WalkLeg& leg : legs) {
        if (!legApplies(leg, body)) {
            continue;
        }
        if (leg.clears != nullptr) {
            *leg.clears = false;
        }
        glm::vec3 velocity = leg.velocity;
        if (static_cast<double>(body.y) > leg.climbsUpTo) {
            velocity.y = 0.0f;
        }
        moveBy(playerBodyTransform, velocity * dt);
        return;
    }
    for (bool* latch :
         {&walkLegA, &walkLegB, &walkLegC, &walkLegD, &walkLegE, &walkLegF, &walkLegG}) {
        *latch = true;
    }
    walkScript = -1;
}

// Arms and flower swing one way and the far foot the other, about the model z axis.
void swingLimbs(float dt) {
    if (limbSwingTimer < 1.0f) {
        const float angle = (limbSwingForward ? quarterPi : -quarterPi) * dt;
        const glm::vec3 axis(0.0f, 0.0f, 0.01f);
        turnBy(footTransform2, angle, axis);
        turnBy(footTransform1, -angle, axis);
        turnBy(armTransform1, -angle, axis);
        turnBy(flowerTransform, -angle, axis);
        turnBy(armTransform2, -angle, axis);
        limbSwingTimer += dt;
    } else {
        limbSwingTimer = 0.0f;
        limbSwingForward = !limbSwingForward;
    }
}

void placeAt(glm::mat4& model, const glm::vec3& body, double dy, double dz) {
    model[3].x = body.x;
    model[3].y = static_cast<float>(static_cast<double>(body.y) + dy);
    model[3].z = static_cast<float>(static_cast<double>(body.z) + dz);
}

// The limbs keep their own orientation but always hang from the body.
void placeLimbs() {
    const glm::vec3 body = positionOf(playerBodyTransform);
    placeAt(armTransform1, body, 0.0, 0.0);
    placeAt(armTransform2, body, 0.0, 0.0);
    placeAt(footTransform1, body, -0.05, 0.0);
    placeAt(footTransform2, body, -0.05, -0.1);
    placeAt(flowerTransform, body, -0.19, 0.125);
}

void spin(glm::mat4& key, float dt) {
    turnBy(key, quarterPi * dt, glm::vec3(0.5f, 0.5f, 0.5f));
}

void raiseKey(glm::mat4& key, bool belowTop, float dt) {
    if (belowTop) {
        moveBy(key, glm::vec3(0.0f, 2.0f * dt, 0.0f));
    } else {
        spin(key, dt);
    }
}

void raiseLid(glm::mat4& lid, float dt) {
    moveBy(lid, glm::vec3(0.0f, 0.5f * dt, 0.0f));
}

double heightOf(const glm::mat4& model) {
    return static_cast<double>(model[3].y);
}

glm::mat4& hiddenTop(int box) {
    glm::mat4* const tops[8] = {&hiddenKeyBox1TopTransform, &hiddenKeyBox2TopTransform,
                                &hiddenKeyBox3TopTransform, &hiddenKeyBox4TopTransform,
                                &hiddenKeyBox5TopTransform, &hiddenKeyBox6TopTransform,
                                &hiddenKeyBox7TopTransform, &hiddenKeyBox8TopTransform};
    return *tops[box];
}

bool& topRequest(int box) {
    bool* const requests[8] = {&openTop1Request, &openTop2Request, &openTop3Request,
                               &openTop4Request, &openTop5Request, &openTop6Request,
                               &openTop7Request, &openTop8Request};
    return *requests[box];
}

}  // namespace

void animateCompanion(float dt) {
    if (walkScript == 1) {
        walk(firstWalk, dt);
        // The second walk begins where the first ends; started any earlier it would find the
        // first walk's latches cleared and end at once.
        if (walkScript == -1 && secondWalkQueued) {
            secondWalkQueued = false;
            walkScript = 2;
        }
    } else if (walkScript == 2) {
        walk(secondWalk, dt);
    } else {
        return;
    }
    swingLimbs(dt);
    placeLimbs();
}

void animateRewards(float dt) {
    if (solvedLevel == 1) {
        if (box1LidTransform[3].y <= 8.0f) {
            raiseLid(box1LidTransform, dt);
        }
        // A taken key never comes back, though the solved puzzle keeps the reward going.
        if (claimedKeyLevel < 1) {
            raiseKey(key1Transform, heightOf(key1Transform) <= 7.6, dt);
        }
    } else if (solvedLevel == 2) {
        // The board and its tiles ride up with the lid.
        if (heightOf(box2LidTransform) <= 9.1) {
            raiseLid(box2LidTransform, dt);
            const glm::vec3 rise(0.0f, 0.4f * dt, 0.0f);
            moveBy(boardTransform, rise);
            for (glm::mat4& tile : level2PartTransform) {
                moveBy(tile, rise);
            }
        }
        if (claimedKeyLevel < 2) {
            raiseKey(key2Transform1, heightOf(key2Transform1) <= 8.8, dt);
        }
    } else if (solvedLevel == 3) {
        if (heightOf(box3LidTransform) <= 9.1) {
            raiseLid(box3LidTransform, dt);
        }
        raiseKey(key2Transform2, key2Transform2[3].y <= 9.0f, dt);
    }
}

void animateHiddenBoxes() {
    if (hiddenTarget >= 1 && hiddenTarget <= 8) {
        const int box = hiddenTarget - 1;
        if (topRequest(box)) {
            // The top stands up about its hinge edge.
            turnBy(hiddenTop(box), halfPi, glm::vec3(0.0f, 0.0f, 0.1f));
            moveBy(hiddenTop(box), glm::vec3(1.0f, -1.05f, 0.0f));
            hiddenTopOpened[box] = true;
        }
        topRequest(box) = false;
        if (box == 0) {
            keyABoxOpen = true;
        } else if (box == 5) {
            keyBBoxOpen = true;
        }
    } else if (hiddenTarget == 9) {
        if (holdingKeyA) {
            openDoor(doorTransform6, glm::vec3(-0.9f, 0.0f, -1.0f));
        }
        holdingKeyA = false;
    } else if (hiddenTarget == 10) {
        if (holdingKeyB) {
            openDoor(doorTransform9, glm::vec3(-0.9f, 0.0f, -1.0f));
        }
        holdingKeyB = false;
    }
}

void updateCarriedPiece() {
    if (currentLevel != 1 || !playerCamera) {
        return;
    }
    glm::mat4* carried = nullptr;
    if (carryingPart1) {
        carried = &level1Part1Transform;
    } else if (carryingPart2) {
        carried = &level1Part2Transform;
    } else if (carryingPart3) {
        carried = &level1Part3Transform;
    }
    if (carried == nullptr) {
        return;
    }
    const glm::vec3 ahead = playerCamera->position + glm::normalize(playerCamera->front) +
                            glm::vec3(0.03f, 0.0f, 0.03f);
    (*carried)[3].x = ahead.x;
    (*carried)[3].y = ahead.y;
    (*carried)[3].z = ahead.z;
}

void openDoors() {
    if (openDoor4Request) {
        openDoor(doorTransform4, glm::vec3(-0.9f, 0.0f, -1.0f));
        openDoor4Request = false;
        walkScript = 1;
        currentLevel = 2;
    }
    if (openDoor3Request) {
        openDoor(doorTransform3, glm::vec3(-0.9f, 0.0f, -1.5f));
        openDoor3Request = false;
        if (walkScript == 1) {
            secondWalkQueued = true;
        } else {
            walkScript = 2;
        }
        currentLevel = 3;
    }
    if (openDoor1Request) {
        openDoor(doorTransform1, glm::vec3(-0.9f, 0.0f, -1.0f));
        openDoor1Request = false;
        walkScript = 3;
        currentLevel = 4;
    }
}
