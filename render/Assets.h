#pragma once

#include <memory>

#include "render/Model.h"
#include "render/Shader.h"

struct GLFWwindow;

// Single owners of every long-lived rendering object, filled by setupAssets, emptied by
// releaseAssets and destroyed once more at process exit (an emptied owner holds nothing).

extern std::unique_ptr<Shader> mainShader;
extern std::unique_ptr<Shader> depthShader;
extern std::unique_ptr<Shader> envMapShader;
// Depth-only stand-ins of the main and the environment program for the depth pre-pass: built from
// the same vertex sources with the depth program's empty fragment stage, so each surface lands at
// exactly the depth the program it stands in for gives it. Made right after the three programs.
extern std::unique_ptr<Shader> mainDepthOnlyShader;
extern std::unique_ptr<Shader> envDepthOnlyShader;

// The location of a uniform in the current program: kept by its Shader when the program is one of
// the five above (see Shader::uniformLocation), asked of the driver for any other program.
int programUniformLocation(unsigned int program, const char* name);

// The 68 models, in creation order. Several load the same file, each with its own GL objects.
extern std::unique_ptr<Model> houseModel;
extern std::unique_ptr<Model> playerBodyModel;
extern std::unique_ptr<Model> footModel;
extern std::unique_ptr<Model> armModel;
extern std::unique_ptr<Model> flowerModel;
extern std::unique_ptr<Model> statue1Model;
extern std::unique_ptr<Model> statue2Model;
extern std::unique_ptr<Model> box1LidModel;
extern std::unique_ptr<Model> box1Model;
extern std::unique_ptr<Model> box2LidModel;
extern std::unique_ptr<Model> box2Model;
extern std::unique_ptr<Model> box3LidModel;
extern std::unique_ptr<Model> box3Model;
extern std::unique_ptr<Model> key1Model;
extern std::unique_ptr<Model> key2Model;
extern std::unique_ptr<Model> level1Part1Model;
extern std::unique_ptr<Model> level1Part2Model;
extern std::unique_ptr<Model> level1Part3Model;
extern std::unique_ptr<Model> doorModel;
extern std::unique_ptr<Model> level1Place1Model;
extern std::unique_ptr<Model> level1Place2Model;
extern std::unique_ptr<Model> level1Place3Model;
extern std::unique_ptr<Model> boardModel;
extern std::unique_ptr<Model> level2Part1Model;
extern std::unique_ptr<Model> level2Part2Model;
extern std::unique_ptr<Model> level2Part3Model;
extern std::unique_ptr<Model> level2Part4Model;
extern std::unique_ptr<Model> level2Part5Model;
extern std::unique_ptr<Model> level2Part6Model;
extern std::unique_ptr<Model> level2Part7Model;
extern std::unique_ptr<Model> level2Part8Model;
extern std::unique_ptr<Model> envCubeModel;
extern std::unique_ptr<Model> labyrinthModel;
extern std::unique_ptr<Model> collisionShapesModel;
extern std::unique_ptr<Model> hiddenKeyBox1Model;
extern std::unique_ptr<Model> hiddenKeyBox1TopModel;
extern std::unique_ptr<Model> plate1Model;
extern std::unique_ptr<Model> hiddenKeyMirror1Model;
extern std::unique_ptr<Model> hiddenKeyBox2Model;
extern std::unique_ptr<Model> hiddenKeyBox2TopModel;
extern std::unique_ptr<Model> plate2Model;
extern std::unique_ptr<Model> middlePart2Model;
extern std::unique_ptr<Model> hiddenKeyBox3Model;
extern std::unique_ptr<Model> hiddenKeyBox3TopModel;
extern std::unique_ptr<Model> plate3Model;
extern std::unique_ptr<Model> middlePart3Model;
extern std::unique_ptr<Model> hiddenKeyBox4Model;
extern std::unique_ptr<Model> hiddenKeyBox4TopModel;
extern std::unique_ptr<Model> plate4Model;
extern std::unique_ptr<Model> middlePart4Model;
extern std::unique_ptr<Model> hiddenKeyBox5Model;
extern std::unique_ptr<Model> hiddenKeyBox5TopModel;
extern std::unique_ptr<Model> plate5Model;
extern std::unique_ptr<Model> middlePart5Model;
extern std::unique_ptr<Model> hiddenKeyBox6Model;
extern std::unique_ptr<Model> hiddenKeyBox6TopModel;
extern std::unique_ptr<Model> testModel;
extern std::unique_ptr<Model> hiddenKeyMirror6Model;
extern std::unique_ptr<Model> hiddenKeyBox7Model;
extern std::unique_ptr<Model> hiddenKeyBox7TopModel;
extern std::unique_ptr<Model> plate7Model;
extern std::unique_ptr<Model> middlePart7Model;
extern std::unique_ptr<Model> hiddenKeyBox8Model;
extern std::unique_ptr<Model> hiddenKeyBox8TopModel;
extern std::unique_ptr<Model> plate8Model;
extern std::unique_ptr<Model> middlePart8Model;
extern std::unique_ptr<Model> extraKeyAModel;
extern std::unique_ptr<Model> extraKeyBModel;

// One row of the model table: the owner and the file it loads.
struct ModelFile {
    std::unique_ptr<Model>* owner;
    const char* path;
};
// The 68 rows, in creation order.
extern const ModelFile modelFiles[68];

// Creates the programs, the light, both camera records, all models and the shadow-map target, in
// that fixed order (the two depth-only stand-ins follow the environment program). A shader failure
// ends the process inside it.
void setupAssets(GLFWwindow* window);
// Empties the owners while the context exists (the labyrinth is left to the process-exit clean-up).
void releaseAssets();
