#include "scene/DrawPass.h"

#include <memory>
#include <span>

#include <GL/glew.h>

#include "game/GameState.h"
#include "game/Layout.h"
#include "render/Assets.h"
#include "render/Shader.h"
#include "scene/Frustum.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"

namespace {

// Drawn in every pass; the house comes first and is the only object drawn before "power" is set.
const DrawEntry alwaysDrawn[] = {
    {&houseModel, &houseTransform},
    {&doorModel, &doorTransform8},
    {&doorModel, &doorTransform2},
    {&doorModel, &doorTransform4},
    {&doorModel, &doorTransform3},
    {&doorModel, &doorTransform9},
    {&doorModel, &doorTransform6},
    {&doorModel, &doorTransform5},
    {&doorModel, &doorTransform1},
    {&doorModel, &doorTransform7},
    {&playerBodyModel, &playerBodyTransform},
    {&flowerModel, &flowerTransform},
    {&armModel, &armTransform2},
    {&armModel, &armTransform1},
    {&footModel, &footTransform2},
    {&footModel, &footTransform1},
};

const DrawEntry level1Objects[] = {
    {&box3Model, &box3Transform},
    {&box1LidModel, &box1LidTransform},
    {&key1Model, &key1Transform},
    {&level1Part1Model, &level1Part1Transform},
    {&level1Part2Model, &level1Part2Transform},
    {&level1Part3Model, &level1Part3Transform},
    {&level1Place1Model, &level1Place1Transform},
    {&level1Place2Model, &level1Place2Transform},
    {&level1Place3Model, &level1Place3Transform},
};

const DrawEntry level2Objects[] = {
    {&boardModel, &boardTransform},
    {&box2Model, &box2Transform},
    {&box2LidModel, &box2LidTransform},
    {&key2Model, &key2Transform1},
    {&level2Part1Model, &level2PartTransform[0]},
    {&level2Part2Model, &level2PartTransform[1]},
    {&level2Part3Model, &level2PartTransform[2]},
    {&level2Part4Model, &level2PartTransform[3]},
    {&level2Part5Model, &level2PartTransform[4]},
    {&level2Part6Model, &level2PartTransform[5]},
    {&level2Part7Model, &level2PartTransform[6]},
    {&level2Part8Model, &level2PartTransform[7]},
};

const DrawEntry level3Objects[] = {
    {&key2Model, &key2Transform2},      {&box1Model, &box1Transform},
    {&box3LidModel, &box3LidTransform}, {&statue1Model, &statue1Transform},
    {&statue2Model, &statue2Transform},
};

const DrawEntry level4Objects[] = {
    {&hiddenKeyBox1Model, &hiddenKeyBox1Transform},
    {&hiddenKeyBox2Model, &hiddenKeyBox2Transform},
    {&hiddenKeyBox3Model, &hiddenKeyBox3Transform},
    {&hiddenKeyBox4Model, &hiddenKeyBox4Transform},
    {&hiddenKeyBox5Model, &hiddenKeyBox5Transform},
    {&hiddenKeyBox6Model, &hiddenKeyBox6Transform},
    {&hiddenKeyBox7Model, &hiddenKeyBox7Transform},
    {&hiddenKeyBox8Model, &hiddenKeyBox8Transform},
    {&hiddenKeyBox1TopModel, &hiddenKeyBox1TopTransform},
    {&hiddenKeyBox2TopModel, &hiddenKeyBox2TopTransform},
    {&hiddenKeyBox3TopModel, &hiddenKeyBox3TopTransform},
    {&hiddenKeyBox4TopModel, &hiddenKeyBox4TopTransform},
    {&hiddenKeyBox5TopModel, &hiddenKeyBox5TopTransform},
    {&hiddenKeyBox6TopModel, &hiddenKeyBox6TopTransform},
    {&hiddenKeyBox7TopModel, &hiddenKeyBox7TopTransform},
    {&hiddenKeyBox8TopModel, &hiddenKeyBox8TopTransform},
    {&plate2Model, &plate2Transform},
    {&plate3Model, &plate3Transform},
    {&plate4Model, &plate4Transform},
    {&plate5Model, &plate5Transform},
    {&plate7Model, &plate7Transform},
    {&plate8Model, &plate8Transform},
    {&middlePart2Model, &middlePart2Transform},
    {&middlePart3Model, &middlePart3Transform},
    {&middlePart4Model, &middlePart4Transform},
    {&middlePart5Model, &middlePart5Transform},
    {&middlePart7Model, &middlePart7Transform},
    {&middlePart8Model, &middlePart8Transform},
    {&extraKeyAModel, &extraKeyATransform},
    {&extraKeyBModel, &extraKeyBTransform},
};

// The objects of the level the player is in; any other level draws no group.
std::span<const DrawEntry> levelObjects() {
    if (currentLevel == 1) {
        return level1Objects;
    }
    if (currentLevel == 2) {
        return level2Objects;
    }
    if (currentLevel == 3) {
        return level3Objects;
    }
    if (currentLevel == 4) {
        return level4Objects;
    }
    return {};
}

void draw(unsigned int program, const DrawEntry& entry) {
    drawEntry(program, entry);
    ++renderedObjects;
}

// The house, after which the program gets its specular exponent and the count starts at 1.
void drawHouse(unsigned int program) {
    renderedObjects = 0;
    draw(program, alwaysDrawn[0]);
}

void setSpecularPower(unsigned int program) {
    glUniform1f(uniformLocation(program, "power"), 32.0f);
}

}  // namespace

void drawScene(const Shader& shader) {
    const unsigned int program = shader.programId;
    glUseProgram(program);
    uploadPassUniforms(program);
    drawHouse(program);
    setSpecularPower(program);
    for (const DrawEntry& entry : std::span(alwaysDrawn).subspan(1)) {
        draw(program, entry);
    }
    for (const DrawEntry& entry : levelObjects()) {
        draw(program, entry);
    }
}

void drawSceneCulled(const Shader& shader) {
    const unsigned int program = shader.programId;
    glUseProgram(program);
    const Frustum frustum = playerFrustum();
    uploadPassUniforms(program);
    drawHouse(program);
    bool first = true;
    for (const DrawEntry& entry : std::span(alwaysDrawn).subspan(1)) {
        const bool visible = entryInFrustum(frustum, entry);
        // "power" is set only on the path where the first door is drawn; a program keeps the
        // value of earlier passes otherwise.
        if (first && visible) {
            setSpecularPower(program);
        }
        first = false;
        if (visible) {
            draw(program, entry);
        }
    }
    for (const DrawEntry& entry : levelObjects()) {
        if (entryInFrustum(frustum, entry)) {
            draw(program, entry);
        }
    }
}
