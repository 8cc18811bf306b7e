// Shader programs and the shadow target: fatal failures, run in a child process, since they end
// it.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
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
    // Standard error in full.
    const char* err;
    // What standard output starts with, before the request to press Enter.
    const char* out;
};

// Every fatal failure of the driver writes its message, asks for Enter and ends with status 1
// without waiting, since standard input is closed. Shader files that are missing or do not
// compile or link are the end-to-end tests' (faults_files).
TEST(FatalFailure, PrintsItsMessageAndEndsWithStatus1) {
    const ProcessResult quiet = runChild("context-only", ".");
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    const std::string driverLines = quiet.err;
    const Fatal cases[] = {
        {"no-program", "Failed to creat shader\n", ""},
        {"no-shader", "Failed to creat creat shader\n", ""},
        {"incomplete-shadow-target", "", "ShadowMap FBO creation did not work!\n"},
    };
    for (const Fatal& fatal : cases) {
        SCOPED_TRACE(fatal.scenario);
        fixture::ScratchDir dir;
        dir.write("vertex", validVertex);
        dir.write("fragment", validFragment);
        const ProcessResult result = runChild(fatal.scenario, dir.path());
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(withoutDriverLines(result.err, driverLines), fatal.err);
        EXPECT_EQ(result.out.rfind(fatal.out, 0), 0u) << result.out;
        EXPECT_NE(result.out.find("Press Enter to continue"), std::string::npos) << result.out;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--fatal-scenario") {
        return runScenario(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
