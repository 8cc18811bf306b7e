// The real game started on a copy of its data with one file broken: a shader, a model, its material
// library, a texture image and the sky image, each missing, empty, cut in half, garbage, a folder,
// or a file of another kind under the expected name. A broken shader ends the start-up with its
// message and status 1; everything else is reported (or, where the loader accepts the file, not)
// and the game keeps drawing frames and ends with 0 on Escape. Nothing may crash or hang.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/Game.h"
#include "support/ScratchRun.h"

namespace {

constexpr double runTimeout = 180.0;
// In place of a line count: the start-up ends with the message on standard error and status 1.
constexpr int fatal = 1000;

struct DataFault {
    const char* file;
    // How the file is broken (see breakFile): a way it goes bad, or another file in its place.
    const char* fault;
    // Fatal: the first line on standard error. Carrying on: how every console line the fault
    // causes starts.
    const char* message;
    // Carrying on: how many such lines there are (0: the fault goes unreported; -n: at most n,
    // where the importer's verdict depends on where the cut falls).
    int lines;
};

class BrokenDataFile : public testing::TestWithParam<DataFault> {};

TEST_P(BrokenDataFile, IsReportedAsWrittenWithoutCrashOrHang) {
    const DataFault& fault = GetParam();
    ScratchRun run;
    ASSERT_FALSE(run.path().empty());
    breakFile(run, fault.file, fault.fault);
    ChildProcess game(run.gameOptions());
    game.writeInput("0\n320\n240\n0\n");
    game.closeInput();
    if (fault.lines == fatal) {
        const ProcessResult result = game.wait(runTimeout);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.err.rfind(std::string(fault.message) + "\n", 0), 0u) << result.err;
        // The pause prompt is the last word, and no model was loaded before the programs.
        const std::string pause = "Press Enter to continue . . . ";
        ASSERT_GE(result.out.size(), pause.size());
        EXPECT_EQ(result.out.substr(result.out.size() - pause.size()), pause);
        EXPECT_EQ(result.out.find("ERROR::ASSIMP"), std::string::npos);
        return;
    }
    const PlayedRun played = playUntilEscape(game, runTimeout);
    const ProcessResult& result = played.result;
    EXPECT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Sanitizer reports and uncaught errors would land here.
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = unexpectedLines(result.out);
    const int count = static_cast<int>(lines.size());
    EXPECT_TRUE(fault.lines >= 0 ? count == fault.lines : count <= -fault.lines) << result.out;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind(fault.message, 0), 0u) << line;
    }
}

const char* const none = "";
const char* const compile = "Failed to Compile Shader";
const char* const link = "Failed to link Programm ";
const char* const noShader = "Failed to load Shaderfile ";
const char* const import = "ERROR::ASSIMP:: ";
const char* const sky = "Cubemap texture failed to load at path: Textures/newkeystuff.jpg";
const char* const wood = "Textures/wood.png";
const char* const test = "Meshes/test.obj";
const char* const door = "Meshes/door.mtl";
const char* const skyImage = "Textures/newkeystuff.jpg";

// Meshes/test.obj and Meshes/door.obj are each loaded by one model, Textures/wood.png is named by
// several materials, and the sky image fills all six faces of the cube map.
INSTANTIATE_TEST_SUITE_P(
    Files, BrokenDataFile,
    testing::Values(
        // Shader programs: every fault is fatal before the first model is loaded. A folder under
        // the name reads as a file that cannot be loaded; the first half of EMVshader ends inside
        // a comment before main, so it compiles and the link finds no main.
        DataFault{"TextureVer", "missing", noShader, fatal},
        DataFault{"TextureFrag", "folder", noShader, fatal},
        DataFault{"Shadow_depth_frag", "empty", compile, fatal},
        DataFault{"EMVshader", "truncated", link, fatal},
        DataFault{"EMFshader", wood, compile, fatal},
        // Models: a file the importer refuses leaves that object out and says so once. It takes
        // garbage as a model without faces, and refuses a cut model when the cut falls inside a
        // number.
        DataFault{test, "missing", import, 1}, DataFault{test, "truncated", import, -1},
        DataFault{test, "garbage", none, 0}, DataFault{test, wood, import, 1},
        // Material libraries: the importer falls back to a default material where it can.
        DataFault{door, "missing", none, 0}, DataFault{door, "garbage", import, 1},
        // Texture images: an image that cannot be decoded samples as an empty texture; only a GL
        // error would be reported, and the driver records none. A JPEG under a PNG name loads.
        DataFault{wood, "truncated", none, 0}, DataFault{wood, "folder", none, 0},
        DataFault{wood, skyImage, none, 0},
        // The sky image: each face that cannot be decoded is reported, in the first frame; only
        // JPEG, PNG and BMP files reach the decoder.
        DataFault{skyImage, "missing", sky, 6}, DataFault{skyImage, "garbage", sky, 6},
        DataFault{skyImage, wood, none, 0}, DataFault{skyImage, "pixmap", sky, 6}),
    [](const testing::TestParamInfo<DataFault>& info) {
        // The file's name and the fault, e.g. Meshes_test_obj_garbage.
        std::string name = std::string(info.param.file) + "_" + info.param.fault;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

}  // namespace
