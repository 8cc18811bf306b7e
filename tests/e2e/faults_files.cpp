// The real game started on a copy of its data with one file broken: a shader, a model, its material
// library, a texture image and the sky image, each missing, empty, cut in half, garbage, a folder,
// or a file of another kind under the expected name. A broken shader ends the start-up with its
// message and status 1; everything else is reported (or, where the loader accepts the file, not)
// and the game keeps drawing frames and ends with 0 on Escape. Nothing may crash or hang.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/Game.h"
#include "support/ScratchRun.h"

namespace {

constexpr double runTimeout = 180.0;

enum class Outcome { fatal, carriesOn };

struct DataFault {
    const char* name;
    const char* file;
    // Either a fault, or the file replaced by another file of the data (another format).
    std::optional<FileFault> fault;
    const char* replacement;
    Outcome outcome;
    // Fatal: the first line on standard error. Carrying on: how every console line the fault
    // causes starts, and how many there are (0: the fault goes unreported; -n: at most n, where
    // the importer's verdict depends on where the cut falls).
    const char* message;
    int lines;
};

// A binary pixmap the image decoder would read, but which no data of ours is ever saved as.
const std::string pixmap = std::string("P6\n1 1\n255\n") + "\x10\x20\x30";

void damage(const ScratchRun& run, const DataFault& fault) {
    if (fault.fault) {
        breakFile(run, fault.file, *fault.fault);
    } else if (std::string(fault.replacement) == "pixmap") {
        run.write(fault.file, pixmap);
    } else {
        run.write(fault.file, ScratchRun::original(fault.replacement));
    }
}

class BrokenDataFile : public testing::TestWithParam<DataFault> {};

TEST_P(BrokenDataFile, IsReportedAsWrittenWithoutCrashOrHang) {
    const DataFault& fault = GetParam();
    ScratchRun run;
    ASSERT_FALSE(run.path().empty());
    damage(run, fault);

    ChildProcess game(run.gameOptions());
    game.writeInput("0\n320\n240\n0\n");
    game.closeInput();
    if (fault.outcome == Outcome::fatal) {
        const ProcessResult result = game.wait(runTimeout);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.termSignal, 0) << result.err;
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
    EXPECT_TRUE(played.windowSeen) << result.out << result.err;
    EXPECT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.termSignal, 0) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Sanitizer reports and uncaught errors would land here.
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = unexpectedLines(result.out);
    if (fault.lines >= 0) {
        EXPECT_EQ(static_cast<int>(lines.size()), fault.lines) << result.out;
    } else {
        EXPECT_LE(static_cast<int>(lines.size()), -fault.lines) << result.out;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind(fault.message, 0), 0u) << line;
    }
}

const char* const noLine = "";
const char* const compileFailure = "Failed to Compile Shader";
const char* const linkFailure = "Failed to link Programm ";
const char* const shaderMissing = "Failed to load Shaderfile ";
const char* const importFailure = "ERROR::ASSIMP:: ";
const char* const skyFailure = "Cubemap texture failed to load at path: Textures/newkeystuff.jpg";

// Meshes/test.obj and Meshes/door.obj are each loaded by one model, Textures/wood.png is named by
// several materials, and the sky image fills all six faces of the cube map.
INSTANTIATE_TEST_SUITE_P(
    Files, BrokenDataFile,
    testing::Values(
        // Shader programs: every fault is fatal before the first model is loaded.
        DataFault{"VertexShaderMissing", "TextureVer", FileFault::missing, nullptr, Outcome::fatal,
                  shaderMissing, 0},
        // A folder under the name used to abort the game from inside the stream; it now reads as
        // a file that cannot be loaded.
        DataFault{"FragmentShaderIsAFolder", "TextureFrag", FileFault::folder, nullptr,
                  Outcome::fatal, shaderMissing, 0},
        DataFault{"DepthShaderEmpty", "Shadow_depth_frag", FileFault::empty, nullptr,
                  Outcome::fatal, compileFailure, 0},
        // Its first half ends inside a comment before main: the declarations compile, and the link
        // finds no main.
        DataFault{"EnvironmentShaderTruncated", "EMVshader", FileFault::truncated, nullptr,
                  Outcome::fatal, linkFailure, 0},
        DataFault{"DepthVertexShaderGarbage", "Shadow_depth_ver", FileFault::garbage, nullptr,
                  Outcome::fatal, compileFailure, 0},
        DataFault{"ShaderIsAnImage", "EMFshader", std::nullopt, "Textures/wood.png", Outcome::fatal,
                  compileFailure, 0},

        // Models: a file the importer refuses leaves that object out and says so once.
        DataFault{"ModelMissing", "Meshes/test.obj", FileFault::missing, nullptr,
                  Outcome::carriesOn, importFailure, 1},
        DataFault{"ModelEmpty", "Meshes/test.obj", FileFault::empty, nullptr, Outcome::carriesOn,
                  importFailure, 1},
        // The importer takes garbage (and a folder) as a model without faces, and refuses a cut
        // model when the cut falls inside a number.
        DataFault{"ModelTruncated", "Meshes/test.obj", FileFault::truncated, nullptr,
                  Outcome::carriesOn, importFailure, -1},
        DataFault{"ModelGarbage", "Meshes/test.obj", FileFault::garbage, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"ModelIsAFolder", "Meshes/test.obj", FileFault::folder, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"ModelIsAnImage", "Meshes/test.obj", std::nullopt, "Textures/wood.png",
                  Outcome::carriesOn, importFailure, 1},

        // Material libraries: the importer falls back to a default material where it can.
        DataFault{"MaterialsMissing", "Meshes/door.mtl", FileFault::missing, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"MaterialsEmpty", "Meshes/door.mtl", FileFault::empty, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"MaterialsTruncated", "Meshes/door.mtl", FileFault::truncated, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"MaterialsGarbage", "Meshes/door.mtl", FileFault::garbage, nullptr,
                  Outcome::carriesOn, importFailure, 1},
        DataFault{"MaterialsAreAFolder", "Meshes/door.mtl", FileFault::folder, nullptr,
                  Outcome::carriesOn, importFailure, 1},
        DataFault{"MaterialsAreAnImage", "Meshes/door.mtl", std::nullopt, "Textures/wood.png",
                  Outcome::carriesOn, importFailure, 1},

        // Texture images: an image that cannot be decoded samples as an empty texture; only a GL
        // error would be reported, and the driver records none.
        DataFault{"TextureMissing", "Textures/wood.png", FileFault::missing, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"TextureEmpty", "Textures/wood.png", FileFault::empty, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"TextureTruncated", "Textures/wood.png", FileFault::truncated, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"TextureGarbage", "Textures/wood.png", FileFault::garbage, nullptr,
                  Outcome::carriesOn, noLine, 0},
        DataFault{"TextureIsAFolder", "Textures/wood.png", FileFault::folder, nullptr,
                  Outcome::carriesOn, noLine, 0},
        // Recognised by its content, a JPEG under a PNG name loads as it is.
        DataFault{"TextureIsAJpeg", "Textures/wood.png", std::nullopt, "Textures/newkeystuff.jpg",
                  Outcome::carriesOn, noLine, 0},
        DataFault{"TextureIsAPixmap", "Textures/wood.png", std::nullopt, "pixmap",
                  Outcome::carriesOn, noLine, 0},

        // The sky image: each face that cannot be decoded is reported, in the first frame.
        DataFault{"SkyImageMissing", "Textures/newkeystuff.jpg", FileFault::missing, nullptr,
                  Outcome::carriesOn, skyFailure, 6},
        DataFault{"SkyImageEmpty", "Textures/newkeystuff.jpg", FileFault::empty, nullptr,
                  Outcome::carriesOn, skyFailure, 6},
        DataFault{"SkyImageTruncated", "Textures/newkeystuff.jpg", FileFault::truncated, nullptr,
                  Outcome::carriesOn, skyFailure, 6},
        DataFault{"SkyImageGarbage", "Textures/newkeystuff.jpg", FileFault::garbage, nullptr,
                  Outcome::carriesOn, skyFailure, 6},
        DataFault{"SkyImageIsAFolder", "Textures/newkeystuff.jpg", FileFault::folder, nullptr,
                  Outcome::carriesOn, skyFailure, 6},
        DataFault{"SkyImageIsAPng", "Textures/newkeystuff.jpg", std::nullopt, "Textures/wood.png",
                  Outcome::carriesOn, noLine, 0},
        // Only JPEG, PNG and BMP files reach the decoder.
        DataFault{"SkyImageIsAPixmap", "Textures/newkeystuff.jpg", std::nullopt, "pixmap",
                  Outcome::carriesOn, skyFailure, 6}),
    [](const testing::TestParamInfo<DataFault>& info) { return std::string(info.param.name); });

}  // namespace
