// The data generator writes the same bytes on every run, into any directory, and reports a
// directory it cannot write to instead of leaving a partial set behind silently.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/Process.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[fs::relative(entry.path(), root).string()] = bytes.str();
    }
    return files;
}

ProcessResult runGenerator(const std::string& directory) {
    ProcessOptions options;
    options.args = {VELMORA_WORLDGEN, directory};
    return runProcess(options, "", 120.0);
}

fs::path freshDirectory(const std::string& name) {
    fs::path dir = fs::path(VELMORA_TEST_OUTPUT_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(WorldGenerator, TwoRunsWriteTheSameBytesAsTheBuild) {
    fs::path a = freshDirectory("worldgen_a");
    fs::path b = freshDirectory("worldgen_b");
    ProcessResult ra = runGenerator(a.string());
    ProcessResult rb = runGenerator(b.string());
    ASSERT_EQ(ra.exitCode, 0) << ra.err;
    ASSERT_EQ(rb.exitCode, 0) << rb.err;
    std::map<std::string, std::string> first = readTree(a);
    std::map<std::string, std::string> second = readTree(b);
    // 36 models with their material libraries, the images and the cube map.
    EXPECT_GT(first.size(), 72u);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        auto other = second.find(name);
        ASSERT_NE(other, second.end()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
    }
    // The set the build put in the run directory is the same set.
    for (const auto& [name, bytes] : first) {
        std::ifstream in(fs::path(VELMORA_RUN_DIR) / name, std::ios::binary);
        std::ostringstream built;
        built << in.rdbuf();
        EXPECT_TRUE(built.str() == bytes) << name << " in the run directory is not current";
    }
}

TEST(WorldGenerator, RemovesFilesItNoLongerWrites) {
    fs::path dir = freshDirectory("worldgen_stale");
    fs::create_directories(dir / "Meshes");
    fs::create_directories(dir / "Textures");
    std::ofstream(dir / "Meshes" / "retired.obj") << "o retired\n";
    std::ofstream(dir / "Textures" / "retired.png") << "old";
    std::ofstream(dir / "notes.txt") << "not ours";
    ProcessResult r = runGenerator(dir.string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fs::exists(dir / "Meshes" / "retired.obj"));
    EXPECT_FALSE(fs::exists(dir / "Textures" / "retired.png"));
    // Only its own two folders are tidied.
    EXPECT_TRUE(fs::exists(dir / "notes.txt"));
    EXPECT_TRUE(fs::exists(dir / "Meshes" / "door.obj"));
}

TEST(WorldGenerator, ReportsAnOutputItCannotWrite) {
    fs::path dir = freshDirectory("worldgen_blocked");
    // A plain file where the Meshes folder should be.
    std::ofstream(dir / "Meshes") << "not a folder";
    ProcessResult r = runGenerator(dir.string());
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;

    ProcessOptions noArgument;
    noArgument.args = {VELMORA_WORLDGEN};
    ProcessResult usage = runProcess(noArgument, "", 30.0);
    EXPECT_EQ(usage.exitCode, 2);
}
