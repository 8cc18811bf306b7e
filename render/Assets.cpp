#include "render/Assets.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "camera/Camera.h"
#include "camera/Light.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"

std::unique_ptr<Shader> mainShader;
std::unique_ptr<Shader> depthShader;
std::unique_ptr<Shader> envMapShader;
std::unique_ptr<Shader> mainDepthOnlyShader;
std::unique_ptr<Shader> envDepthOnlyShader;

std::unique_ptr<Model> houseModel;
std::unique_ptr<Model> playerBodyModel;
std::unique_ptr<Model> footModel;
std::unique_ptr<Model> armModel;
std::unique_ptr<Model> flowerModel;
std::unique_ptr<Model> statue1Model;
std::unique_ptr<Model> statue2Model;
std::unique_ptr<Model> box1LidModel;
std::unique_ptr<Model> box1Model;
std::unique_ptr<Model> box2LidModel;
std::unique_ptr<Model> box2Model;
std::unique_ptr<Model> box3LidModel;
std::unique_ptr<Model> box3Model;
std::unique_ptr<Model> key1Model;
std::unique_ptr<Model> key2Model;
std::unique_ptr<Model> level1Part1Model;
std::unique_ptr<Model> level1Part2Model;
std::unique_ptr<Model> level1Part3Model;
std::unique_ptr<Model> doorModel;
std::unique_ptr<Model> level1Place1Model;
std::unique_ptr<Model> level1Place2Model;
std::unique_ptr<Model> level1Place3Model;
std::unique_ptr<Model> boardModel;
std::unique_ptr<Model> level2Part1Model;
std::unique_ptr<Model> level2Part2Model;
std::unique_ptr<Model> level2Part3Model;
std::unique_ptr<Model> level2Part4Model;
std::unique_ptr<Model> level2Part5Model;
std::unique_ptr<Model> level2Part6Model;
std::unique_ptr<Model> level2Part7Model;
std::unique_ptr<Model> level2Part8Model;
std::unique_ptr<Model> envCubeModel;
std::unique_ptr<Model> labyrinthModel;
std::unique_ptr<Model> collisionShapesModel;
std::unique_ptr<Model> hiddenKeyBox1Model;
std::unique_ptr<Model> hiddenKeyBox1TopModel;
std::unique_ptr<Model> plate1Model;
std::unique_ptr<Model> hiddenKeyMirror1Model;
std::unique_ptr<Model> hiddenKeyBox2Model;
std::unique_ptr<Model> hiddenKeyBox2TopModel;
std::unique_ptr<Model> plate2Model;
std::unique_ptr<Model> middlePart2Model;
std::unique_ptr<Model> hiddenKeyBox3Model;
std::unique_ptr<Model> hiddenKeyBox3TopModel;
std::unique_ptr<Model> plate3Model;
std::unique_ptr<Model> middlePart3Model;
std::unique_ptr<Model> hiddenKeyBox4Model;
std::unique_ptr<Model> hiddenKeyBox4TopModel;
std::unique_ptr<Model> plate4Model;
std::unique_ptr<Model> middlePart4Model;
std::unique_ptr<Model> hiddenKeyBox5Model;
std::unique_ptr<Model> hiddenKeyBox5TopModel;
std::unique_ptr<Model> plate5Model;
std::unique_ptr<Model> middlePart5Model;
std::unique_ptr<Model> hiddenKeyBox6Model;
std::unique_ptr<Model> hiddenKeyBox6TopModel;
std::unique_ptr<Model> testModel;
std::unique_ptr<Model> hiddenKeyMirror6Model;
std::unique_ptr<Model> hiddenKeyBox7Model;
std::unique_ptr<Model> hiddenKeyBox7TopModel;
std::unique_ptr<Model> plate7Model;
std::unique_ptr<Model> middlePart7Model;
std::unique_ptr<Model> hiddenKeyBox8Model;
std::unique_ptr<Model> hiddenKeyBox8TopModel;
std::unique_ptr<Model> plate8Model;
std::unique_ptr<Model> middlePart8Model;
std::unique_ptr<Model> extraKeyAModel;
std::unique_ptr<Model> extraKeyBModel;

const ModelFile modelFiles[68] = {
    {&houseModel, "Meshes/finished_houseWG.obj"},
    {&playerBodyModel, "Meshes/playerWOFA.obj"},
    {&footModel, "Meshes/foot.obj"},
    {&armModel, "Meshes/arm.obj"},
    {&flowerModel, "Meshes/blume.obj"},
    {&statue1Model, "Meshes/statue1.obj"},
    {&statue2Model, "Meshes/statue2.obj"},
    {&box1LidModel, "Meshes/box1-deckel.obj"},
    {&box1Model, "Meshes/box1.obj"},
    {&box2LidModel, "Meshes/box1-deckel.obj"},
    {&box2Model, "Meshes/box1.obj"},
    {&box3LidModel, "Meshes/box1-deckel.obj"},
    {&box3Model, "Meshes/box1.obj"},
    {&key1Model, "Meshes/key1.obj"},
    {&key2Model, "Meshes/key2.obj"},
    {&level1Part1Model, "Meshes/Level1_1.obj"},
    {&level1Part2Model, "Meshes/Level1_2.obj"},
    {&level1Part3Model, "Meshes/Level1_3.obj"},
    {&doorModel, "Meshes/door.obj"},
    {&level1Place1Model, "Meshes/Level1_place1.obj"},
    {&level1Place2Model, "Meshes/Level1_place2.obj"},
    {&level1Place3Model, "Meshes/Level1_place3.obj"},
    {&boardModel, "Meshes/bord.obj"},
    {&level2Part1Model, "Meshes/Level2_1.obj"},
    {&level2Part2Model, "Meshes/Level2_2.obj"},
    {&level2Part3Model, "Meshes/Level2_3.obj"},
    {&level2Part4Model, "Meshes/Level2_4.obj"},
    {&level2Part5Model, "Meshes/Level2_5.obj"},
    {&level2Part6Model, "Meshes/Level2_6.obj"},
    {&level2Part7Model, "Meshes/Level2_7.obj"},
    {&level2Part8Model, "Meshes/Level2_8.obj"},
    {&envCubeModel, "Meshes/cubeFCMobj.obj"},
    {&labyrinthModel, "Meshes/Labyrinth.obj"},
    {&collisionShapesModel, "Meshes/collisionshapes.obj"},
    {&hiddenKeyBox1Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox1TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate1Model, "Meshes/platte.obj"},
    {&hiddenKeyMirror1Model, "Meshes/boxhiddenkeymirror.obj"},
    {&hiddenKeyBox2Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox2TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate2Model, "Meshes/platte.obj"},
    {&middlePart2Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox3Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox3TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate3Model, "Meshes/platte.obj"},
    {&middlePart3Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox4Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox4TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate4Model, "Meshes/platte.obj"},
    {&middlePart4Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox5Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox5TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate5Model, "Meshes/platte.obj"},
    {&middlePart5Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox6Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox6TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&testModel, "Meshes/test.obj"},
    {&hiddenKeyMirror6Model, "Meshes/boxhiddenkeymirror.obj"},
    {&hiddenKeyBox7Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox7TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate7Model, "Meshes/platte.obj"},
    {&middlePart7Model, "Meshes/mittelteil.obj"},
    {&hiddenKeyBox8Model, "Meshes/boxhiddenkey.obj"},
    {&hiddenKeyBox8TopModel, "Meshes/boxhiddenkeytop.obj"},
    {&plate8Model, "Meshes/platte.obj"},
    {&middlePart8Model, "Meshes/mittelteil.obj"},
    {&extraKeyAModel, "Meshes/key1.obj"},
    {&extraKeyBModel, "Meshes/key1.obj"},
};

int programUniformLocation(unsigned int program, const char* name) {
    for (const std::unique_ptr<Shader>* owner :
         {&mainShader, &depthShader, &envMapShader, &mainDepthOnlyShader, &envDepthOnlyShader}) {
        if (*owner && (*owner)->programId == program) {
            return (*owner)->uniformLocation(name);
        }
    }
    return glGetUniformLocation(program, name);
}

namespace {

// The fragment stage of the depth pre-pass's programs writes nothing itself, so the depth they lay
// down is the one the rasteriser gives the main passes' vertex stages, whatever the shadow pass's
// data file does with its own fragments.
const Shader::FragmentText depthOnlyFragment{"#version 330 core\nvoid main() {\n}\n"};

// A linked program has every sampler on unit 0, so the diffuse and the shadow sampler of the main
// program would share a unit until the first frame's shadow pass sets "shadowMap": a draw with two
// sampler types on one unit is an error. The pass still uploads the same value every frame.
void pointShadowSamplerAtItsUnit(const Shader& program) {
    glUseProgram(program.programId);
    glUniform1i(program.uniformLocation("shadowMap"), shadowMapUnit);
    glUseProgram(0);
}

}  // namespace

void setupAssets(GLFWwindow* window) {
    if (window != nullptr) {
        glfwSetWindowTitle(window, "Velmora");
    }
    mainShader = std::make_unique<Shader>("TextureVer", "TextureFrag");
    pointShadowSamplerAtItsUnit(*mainShader);
    depthShader = std::make_unique<Shader>("Shadow_depth_ver", "Shadow_depth_frag");
    spotLight = std::make_unique<Light>(glm::vec3(0.0f, 0.0f, 1.5f), false);
    playerCamera = std::make_unique<Camera>(glm::mat4(1.0f), 0, 0);
    secondCamera = std::make_unique<SecondCamera>(glm::mat4(1.0f), 0, 0);
    envMapShader = std::make_unique<Shader>("EMVshader", "EMFshader");
    mainDepthOnlyShader = std::make_unique<Shader>("TextureVer", depthOnlyFragment);
    envDepthOnlyShader = std::make_unique<Shader>("EMVshader", depthOnlyFragment);
    startImageLibrary();
    // Many models share a file and so their images: each image is decoded once, while every
    // model still creates its own GL textures.
    beginImageDecodeCache();
    for (const ModelFile& row : modelFiles) {
        *row.owner = std::make_unique<Model>(row.path, mainShader.get());
    }
    endImageDecodeCache();
    creatDeathTexture();
}

void releaseAssets() {
    mainShader.reset();
    depthShader.reset();
    envMapShader.reset();
    mainDepthOnlyShader.reset();
    envDepthOnlyShader.reset();
    spotLight.reset();
    playerCamera.reset();
    // The labyrinth is left to the process-exit clean-up and the collision shapes come last.
    for (const ModelFile& row : modelFiles) {
        if (row.owner != &labyrinthModel && row.owner != &collisionShapesModel) {
            row.owner->reset();
        }
    }
    secondCamera.reset();
    collisionShapesModel.reset();
    stopImageLibrary();
}
