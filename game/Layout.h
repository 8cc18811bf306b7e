#pragma once

#include <glm/glm.hpp>

// One model matrix per placed object of the world. Each holds the identity before main starts,
// layoutScene gives it its place, the game rules rewrite it in place and the passes draw with it.
// An object's position is the translation column (elements 12, 13, 14).

extern glm::mat4 box1LidTransform;
extern glm::mat4 box3Transform;
extern glm::mat4 key1Transform;
extern glm::mat4 box3LidTransform;
extern glm::mat4 box1Transform;
extern glm::mat4 key2Transform2;
extern glm::mat4 statue1Transform;
extern glm::mat4 statue2Transform;
extern glm::mat4 houseTransform;
extern glm::mat4 playerBodyTransform;
extern glm::mat4 armTransform2;
extern glm::mat4 armTransform1;
extern glm::mat4 footTransform2;
extern glm::mat4 footTransform1;
extern glm::mat4 flowerTransform;
extern glm::mat4 doorTransform8;
extern glm::mat4 doorTransform2;
extern glm::mat4 doorTransform4;
extern glm::mat4 doorTransform3;
extern glm::mat4 doorTransform9;
extern glm::mat4 doorTransform6;
extern glm::mat4 doorTransform5;
extern glm::mat4 doorTransform1;
extern glm::mat4 doorTransform10;
extern glm::mat4 doorTransform11;
extern glm::mat4 doorTransform7;
extern glm::mat4 level1Part1Transform;
extern glm::mat4 level1Part2Transform;
extern glm::mat4 level1Part3Transform;
extern glm::mat4 level1Place1Transform;
extern glm::mat4 level1Place2Transform;
extern glm::mat4 level1Place3Transform;
extern glm::mat4 box2LidTransform;
extern glm::mat4 box2Transform;
extern glm::mat4 boardTransform;
extern glm::mat4 key2Transform1;
extern glm::mat4 envCubeTransform;
extern glm::mat4 labyrinthTransform;
extern glm::mat4 hiddenKeyBox1Transform;
extern glm::mat4 hiddenKeyBox2Transform;
extern glm::mat4 hiddenKeyBox3Transform;
extern glm::mat4 hiddenKeyBox4Transform;
extern glm::mat4 hiddenKeyBox5Transform;
extern glm::mat4 hiddenKeyBox6Transform;
extern glm::mat4 hiddenKeyBox7Transform;
extern glm::mat4 hiddenKeyBox8Transform;
extern glm::mat4 hiddenKeyBox1TopTransform;
extern glm::mat4 hiddenKeyBox2TopTransform;
extern glm::mat4 hiddenKeyBox3TopTransform;
extern glm::mat4 hiddenKeyBox4TopTransform;
extern glm::mat4 hiddenKeyBox5TopTransform;
extern glm::mat4 hiddenKeyBox6TopTransform;
extern glm::mat4 hiddenKeyBox7TopTransform;
extern glm::mat4 hiddenKeyBox8TopTransform;
extern glm::mat4 middlePart2Transform;
extern glm::mat4 middlePart3Transform;
extern glm::mat4 middlePart4Transform;
extern glm::mat4 middlePart5Transform;
extern glm::mat4 middlePart7Transform;
extern glm::mat4 middlePart8Transform;
extern glm::mat4 plate1Transform;
extern glm::mat4 plate2Transform;
extern glm::mat4 plate3Transform;
extern glm::mat4 plate4Transform;
extern glm::mat4 plate5Transform;
extern glm::mat4 plate7Transform;
extern glm::mat4 plate8Transform;
extern glm::mat4 testTransform;
extern glm::mat4 extraKeyBTransform;
extern glm::mat4 extraKeyATransform;

// The eight sliding-tile pieces: element t is tile t (drawn with level2Part1Model + t).
extern glm::mat4 level2PartTransform[8];

// Builds every matrix above from the fixed layout. Needs no OpenGL; called once at start-up.
void layoutScene();
