// The data generator writes the same bytes on every run, into any directory, removes files it no
// longer writes, and reports a directory it cannot write to instead of leaving a partial set behind
// silently.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"

namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& file) {
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

fs::path freshDirectory(const std::string& name) {
    const fs::path dir = fs::path(VELMORA_TEST_OUTPUT_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// The generator's exit status for an output directory (none: no argument); what it said on its
// error stream goes into the test's messages.
int runGenerator(const std::vector<std::string>& directory) {
    ProcessOptions options;
    options.args = {VELMORA_WORLDGEN};
    options.args.insert(options.args.end(), directory.begin(), directory.end());
    const ProcessResult result = runProcess(options, "", 120.0);
    EXPECT_EQ(result.err.empty(), result.exitCode == 0) << result.err;
    return result.exitCode;
}

}  // namespace

TEST(WorldGenerator, TwoRunsWriteTheSameBytesAsTheBuild) {
    const fs::path a = freshDirectory("worldgen_a");
    const fs::path b = freshDirectory("worldgen_b");
    // b still holds a model of an older data set, which the run must remove.
    fs::create_directories(b / "Meshes");
    std::ofstream(b / "Meshes" / "retired.obj") << "o retired\n";
    ASSERT_EQ(runGenerator({a.string()}), 0);
    ASSERT_EQ(runGenerator({b.string()}), 0);
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(a)) {
        const fs::path name = fs::relative(entry.path(), a);
        if (entry.is_regular_file()) {
            ++count;
            const std::string bytes = bytesOf(entry.path());
            EXPECT_TRUE(bytesOf(b / name) == bytes) << name << " differs between runs";
            EXPECT_TRUE(bytesOf(fs::path(VELMORA_RUN_DIR) / name) == bytes)
                << name << " in the run directory is not current";
        }
    }
    // 36 models with their material libraries, the images and the cube map; nothing more in b.
    EXPECT_GT(count, 72u);
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(a), {}),
              std::distance(fs::recursive_directory_iterator(b), {}));
}

TEST(WorldGenerator, ReportsAnOutputItCannotWrite) {
    // A plain file where the Meshes folder should be.
    const fs::path dir = freshDirectory("worldgen_blocked");
    std::ofstream(dir / "Meshes") << "not a folder";
    EXPECT_NE(runGenerator({dir.string()}), 0);
    EXPECT_EQ(runGenerator({}), 2);
}
