// The game as `make install` lays it out, staged under a scratch DESTDIR with the prefix /usr: the
// data of the run folder under share/games/velmora, the binary in libexec/velmora, the desktop
// entry and its icon, and the launcher games/velmora started from another folder as a player
// starts it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/Game.h"
#include "support/ScratchRun.h"

namespace {

namespace fs = std::filesystem;

constexpr double runTimeout = 180.0;
const fs::path prefix = fs::path(VELMORA_INSTALL_STAGE) / "usr";

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file under the folder, relative to it.
std::set<std::string> filesUnder(const fs::path& root) {
    std::set<std::string> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), root).string());
        }
    }
    return files;
}

bool executable(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXOTH);
}

// An empty folder that is not the data folder, removed with the object.
struct ElsewhereFolder {
    std::string path;
    ElsewhereFolder() {
        std::string pattern = (fs::temp_directory_path() / "velmora-elsewhere-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    ~ElsewhereFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

ProcessOptions launcherOptions(const std::string& workDir,
                               const std::vector<std::string>& arguments) {
    ProcessOptions options;
    options.args.push_back((prefix / "games" / "velmora").string());
    options.args.insert(options.args.end(), arguments.begin(), arguments.end());
    options.workDir = workDir;
    return options;
}

TEST(InstalledTree, HoldsTheRunFolderDataTheBinaryAndTheDesktopEntry) {
    // The data folder is the run folder without its binary: the same files, the same bytes.
    std::set<std::string> runFiles = filesUnder(VELMORA_RUN_DIR);
    ASSERT_EQ(runFiles.erase("velmora"), 1u);
    const fs::path data = prefix / "share" / "games" / "velmora";
    EXPECT_EQ(filesUnder(data), runFiles);
    for (const std::string& file : runFiles) {
        EXPECT_EQ(bytesOf(data / file), bytesOf(fs::path(VELMORA_RUN_DIR) / file)) << file;
    }

    EXPECT_TRUE(executable(prefix / "games" / "velmora"));
    EXPECT_TRUE(executable(prefix / "libexec" / "velmora" / "velmora"));
    EXPECT_EQ(bytesOf(prefix / "libexec" / "velmora" / "velmora"), bytesOf(VELMORA_BINARY_PATH));

    // The game asks its questions in a terminal, so the menu entry starts one.
    const std::string entry = bytesOf(prefix / "share" / "applications" / "velmora.desktop");
    for (const char* line : {"[Desktop Entry]\n", "\nType=Application\n", "\nExec=velmora\n",
                             "\nIcon=velmora\n", "\nTerminal=true\n"}) {
        EXPECT_NE(entry.find(line), std::string::npos) << line << " in\n" << entry;
    }
    // A PNG of the size its folder names: signature, then the header's width and height.
    const std::string icon =
        bytesOf(prefix / "share" / "icons" / "hicolor" / "128x128" / "apps" / "velmora.png");
    ASSERT_GE(icon.size(), 24u);
    EXPECT_EQ(icon.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x80\0\0\0\x80", 8));
}

TEST(InstalledLauncher, StartsTheGameInItsDataFolderFromAnotherFolder) {
    ElsewhereFolder elsewhere;
    ASSERT_FALSE(elsewhere.path.empty());
    ChildProcess game(launcherOptions(elsewhere.path, {}));
    game.writeInput("0\n640\n360\n0\n");
    const PlayedRun played = playUntilEscape(game, runTimeout);
    const ProcessResult& result = played.result;
    ASSERT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_EQ(played.windowSize, "640x360");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Every shader, model and texture was found: nothing but the prompts and statistics.
    EXPECT_EQ(unexpectedLines(result.out), std::vector<std::string>()) << result.out;
    EXPECT_EQ(result.err, "");
}

// The launcher hands over its process: the window belongs to the pid it was started as, the
// command-line size reaches the game and the end of standard input is the game's.
TEST(InstalledLauncher, PassesArgumentsAndStandardInputThrough) {
    ElsewhereFolder elsewhere;
    ASSERT_FALSE(elsewhere.path.empty());
    ChildProcess game(launcherOptions(elsewhere.path, {"320", "240"}));
    game.closeInput();
    const PlayedRun played = playUntilEscape(game, runTimeout);
    EXPECT_TRUE(played.windowSeen) << played.result.out << played.result.err;
    EXPECT_TRUE(played.framesRan) << played.result.out << played.result.err;
    EXPECT_EQ(played.windowSize, "320x240");
    EXPECT_EQ(played.result.exitCode, 0) << played.result.err;
}

}  // namespace
