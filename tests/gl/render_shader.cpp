// Shader programs and the shadow target: fatal failures (run in a child process, since they end
// it), and the destruction of the GL objects.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
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

// One fatal scenario, run inside the child with the scratch folder as working directory.
int runScenario(const std::string& scenario) {
    testGlContext();
    if (scenario == "context-only") {
        closeGlContexts();
        return 0;
    } else if (scenario == "no-program") {
        glCreateProgram = [] { return GLuint{0}; };
    } else if (scenario == "no-shader") {
        glCreateShader = [](GLenum) { return GLuint{0}; };
    } else if (scenario == "incomplete-shadow-target") {
        glCheckFramebufferStatus = [](GLenum) {
            return GLenum{GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT};
        };
        creatDeathTexture();
        return 0;
    }
    Shader shader("vertex", "fragment");
    return shader.programId != 0 ? 0 : 2;
}

// Runs one scenario in a child process in the given folder.
ProcessResult runChild(const char* scenario, const std::string& workDir) {
    ProcessOptions options;
    options.args = {"/proc/self/exe", "--fatal-scenario", scenario};
    options.workDir = workDir;
    return runProcess(options, "", 60.0);
}

// Standard error less the whole lines the driver writes on its own (some drivers write a line
// about the environment when a context is made).
std::string withoutDriverLines(const std::string& err, const std::string& driverLines) {
    std::string kept;
    for (size_t start = 0, end = 0; start < err.size(); start = end) {
        end = std::min(err.find('\n', start), err.size() - 1) + 1;
        const std::string line = err.substr(start, end - start);
        const bool driver =
            line.back() == '\n' && ("\n" + driverLines).find("\n" + line) != std::string::npos;
        kept += driver ? "" : line;
    }
    return kept;
}

struct Fatal {
    const char* scenario;
    // A null source leaves its file out.
    const char* vertex;
    const char* fragment;
    // Standard error in full, or its first line when an info log follows it.
    const char* err;
    // Null when no info log follows; otherwise a word the log must hold ("" when the driver's
    // wording is not known).
    const char* log;
    // What standard output starts with, before the request to press Enter.
    const char* out;
};

// Every fatal failure writes its message, asks for Enter and ends with status 1 without waiting,
// since standard input is closed.
TEST(FatalFailure, PrintsItsMessageAndEndsWithStatus1) {
    const ProcessResult quiet = runChild("context-only", ".");
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    const std::string driverLines = quiet.err;
    const Fatal cases[] = {
        {"build", nullptr, validFragment, "Failed to load Shaderfile \n", nullptr, ""},
        {"build", validVertex, "#version 330 core\nvoid main() { undeclared = 1; }\n",
         "Failed to Compile Shader\n", "undeclared", ""},
        // Each stage compiles alone, but they disagree on the type of one uniform.
        {"build",
         "#version 330 core\nuniform float tint;\nvoid main() { gl_Position = vec4(tint); }\n",
         "#version 330 core\nuniform vec2 tint;\nout vec4 color;\n"
         "void main() { color = vec4(tint, 0.0, 1.0); }\n",
         "Failed to link Programm \n", "", ""},
        {"no-program", validVertex, validFragment, "Failed to creat shader\n", nullptr, ""},
        {"no-shader", validVertex, validFragment, "Failed to creat creat shader\n", nullptr, ""},
        {"incomplete-shadow-target", nullptr, nullptr, "", nullptr,
         "ShadowMap FBO creation did not work!\n"},
    };
    for (const Fatal& fatal : cases) {
        SCOPED_TRACE(std::string(fatal.scenario) + ": " + fatal.err);
        fixture::ScratchDir dir;
        if (fatal.vertex != nullptr) {
            dir.write("vertex", fatal.vertex);
        }
        if (fatal.fragment != nullptr) {
            dir.write("fragment", fatal.fragment);
        }
        ProcessResult result = runChild(fatal.scenario, dir.path());
        result.err = withoutDriverLines(result.err, driverLines);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out.rfind(fatal.out, 0), 0u) << result.out;
        EXPECT_NE(result.out.find("Press Enter to continue"), std::string::npos) << result.out;
        if (fatal.log == nullptr) {
            EXPECT_EQ(result.err, fatal.err);
            continue;
        }
        // The head line, then an info log of its own lines.
        const std::string head = fatal.err;
        EXPECT_EQ(result.err.substr(0, head.size()), head) << result.err;
        EXPECT_GT(result.err.size(), head.size() + 1) << "the info log is missing";
        EXPECT_EQ(result.err.back(), '\n');
        EXPECT_NE(result.err.find(fatal.log, head.size()), std::string::npos) << result.err;
    }
}

using ShaderTest = fixture::GlTest;

TEST_F(ShaderTest, DestructionDeletesTheProgramAndBothShaders) {
    auto shader =
        std::make_unique<Shader>(dir.write("v", validVertex), dir.write("f", validFragment));
    const GLuint ids[3] = {shader->programId, shader->vertexShaderId, shader->fragmentShaderId};
    EXPECT_EQ(fixture::queried(glGetProgramiv, ids[0], GL_ATTACHED_SHADERS), 2);
    shader.reset();
    EXPECT_FALSE(glIsProgram(ids[0]) || glIsShader(ids[1]) || glIsShader(ids[2]));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--fatal-scenario") {
        return runScenario(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
