// Shader programs: fatal failures (run in a child process, since they end it), the destruction of
// the GL objects, and our own GLSL programs building on the driver we test with.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "render/Shader.h"
#include "render/ShadowTarget.h"
#include "render_fixtures.h"
#include "support/GlContext.h"
#include "support/Process.h"

namespace {

const char* const validVertex =
    "#version 330 core\nlayout(location = 0) in vec3 aPos;\n"
    "void main() { gl_Position = vec4(aPos, 1.0); }\n";
const char* const validFragment =
    "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";

GLuint refuseObject() {
    return 0;
}
GLuint refuseShader(GLenum) {
    return 0;
}
GLenum incompleteFramebuffer(GLenum) {
    return GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT;
}

// One fatal scenario, run inside the child with the scratch folder as working directory.
int runScenario(const std::string& scenario) {
    testGlContext();
    if (scenario == "no-program") {
        glCreateProgram = refuseObject;
    } else if (scenario == "no-shader") {
        glCreateShader = refuseShader;
    } else if (scenario == "incomplete-shadow-target") {
        glCheckFramebufferStatus = incompleteFramebuffer;
        creatDeathTexture();
        return 0;
    }
    Shader shader("vertex", "fragment");
    return shader.programId != 0 ? 0 : 2;
}

// Writes the two sources (an empty name leaves the file out) and runs the scenario in a child.
ProcessResult runFatal(const std::string& scenario, const char* vertex, const char* fragment) {
    fixture::ScratchDir dir;
    if (vertex != nullptr) {
        dir.write("vertex", vertex);
    }
    if (fragment != nullptr) {
        dir.write("fragment", fragment);
    }
    ProcessOptions options;
    options.args = {"/proc/self/exe", "--fatal-scenario", scenario};
    options.workDir = dir.path();
    return runProcess(options, "", 60.0);
}

void expectPausedExit(const ProcessResult& result) {
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.termSignal, 0);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Press Enter to continue"), std::string::npos) << result.out;
}

TEST(ShaderFailure, MissingFileIsReportedWithoutItsName) {
    const ProcessResult result = runFatal("build", nullptr, validFragment);
    expectPausedExit(result);
    EXPECT_EQ(result.err, "Failed to load Shaderfile \n");
}

TEST(ShaderFailure, CompileErrorPrintsTheInfoLogAfterTheMessage) {
    const ProcessResult result =
        runFatal("build", validVertex, "#version 330 core\nvoid main() { undeclared = 1; }\n");
    expectPausedExit(result);
    const std::string head = "Failed to Compile Shader\n";
    ASSERT_EQ(result.err.substr(0, head.size()), head) << result.err;
    const std::string log = result.err.substr(head.size());
    EXPECT_NE(log.find("undeclared"), std::string::npos) << log;
    EXPECT_EQ(log.back(), '\n');
}

TEST(ShaderFailure, LinkErrorPrintsTheInfoLogAfterTheMessage) {
    // Each stage compiles alone, but they disagree on the type of one uniform.
    const char* vertex =
        "#version 330 core\nuniform float tint;\n"
        "void main() { gl_Position = vec4(tint); }\n";
    const char* fragment =
        "#version 330 core\nuniform vec2 tint;\nout vec4 color;\n"
        "void main() { color = vec4(tint, 0.0, 1.0); }\n";
    const ProcessResult result = runFatal("build", vertex, fragment);
    expectPausedExit(result);
    const std::string head = "Failed to link Programm \n";
    ASSERT_EQ(result.err.substr(0, head.size()), head) << result.err;
    EXPECT_GT(result.err.size(), head.size() + 1) << "the link log is missing";
    EXPECT_EQ(result.err.back(), '\n');
}

TEST(ShaderFailure, DriverRefusingObjectsIsFatal) {
    ProcessResult result = runFatal("no-program", validVertex, validFragment);
    expectPausedExit(result);
    EXPECT_EQ(result.err, "Failed to creat shader\n");

    result = runFatal("no-shader", validVertex, validFragment);
    expectPausedExit(result);
    EXPECT_EQ(result.err, "Failed to creat creat shader\n");
}

TEST(ShadowTargetFailure, IncompleteFramebufferEndsWithAMessageAndStatus1) {
    const ProcessResult result = runFatal("incomplete-shadow-target", nullptr, nullptr);
    expectPausedExit(result);
    EXPECT_EQ(result.out.rfind("ShadowMap FBO creation did not work!\n", 0), 0u) << result.out;
    EXPECT_EQ(result.err, "");
}

TEST(Shader, DestructionDeletesTheProgramAndBothShaders) {
    testGlContext();
    fixture::ScratchDir dir;
    const std::string vertex = dir.write("v", validVertex);
    const std::string fragment = dir.write("f", validFragment);
    auto owner = std::make_unique<Shader>(vertex, fragment);
    const GLuint program = owner->programId;
    const GLuint vertexId = owner->vertexShaderId;
    const GLuint fragmentId = owner->fragmentShaderId;
    EXPECT_TRUE(glIsProgram(program));
    GLint attached = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);

    // Replacing the owner's program destroys the one it held.
    owner = std::make_unique<Shader>(vertex, fragment);
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertexId));
    EXPECT_FALSE(glIsShader(fragmentId));
    EXPECT_TRUE(glIsProgram(owner->programId));
    owner.reset();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The game's own programs, as copied next to the binary by the build.
TEST(GameShaders, AllThreeProgramsBuildAndDeclareTheNamesThePassesSet) {
    testGlContext();
    fixture::WorkingDir run(VELMORA_RUN_DIR);
    const Shader main("TextureVer", "TextureFrag");
    const Shader depth("Shadow_depth_ver", "Shadow_depth_frag");
    const Shader environment("EMVshader", "EMFshader");

    for (const char* name :
         {"tModel", "view", "projection", "M_VL_PL_L", "shadowMap", "pcf", "texture_diffuse1",
          "lightPos", "viewPos", "direction", "cutOff", "cutOff2", "cutOff3", "objectColor",
          "lightColor", "visibility", "power"}) {
        EXPECT_GE(glGetUniformLocation(main.programId, name), 0) << name;
    }
    for (const char* name : {"lsm", "tModel"}) {
        EXPECT_GE(glGetUniformLocation(depth.programId, name), 0) << name;
    }
    for (const char* name : {"tModel", "view", "projection", "lightPos", "viewPos", "direction",
                             "cutOff", "cutOff2", "cutOff3", "visibility"}) {
        EXPECT_GE(glGetUniformLocation(environment.programId, name), 0) << name;
    }
    EXPECT_EQ(glGetAttribLocation(main.programId, "aPos"), 0);
    EXPECT_EQ(glGetAttribLocation(main.programId, "aNormal"), 1);
    EXPECT_EQ(glGetAttribLocation(main.programId, "aTexCoords"), 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--fatal-scenario") {
        return runScenario(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
