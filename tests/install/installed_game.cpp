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

// The launcher, started from another folder, starts the game in its data folder and hands over
// its process: the window belongs to the pid it was started as, the command-line size reaches the
// game and the end of standard input is the game's. Every shader, model and texture was found:
// nothing is written but the prompts, the statistics and the line that names the binary.
TEST(InstalledLauncher, StartsTheGameInItsDataFolderWithItsArgumentsAndInput) {
    ProcessOptions options;
    options.args = {(prefix / "games" / "velmora").string(), "320", "240"};
    options.workDir = fs::temp_directory_path().string();
    ChildProcess game(options);
    game.closeInput();
    const PlayedRun played = playUntilEscape(game, runTimeout);
    const ProcessResult& result = played.result;
    EXPECT_TRUE(played.windowSeen) << result.out << result.err;
    ASSERT_TRUE(played.framesRan) << result.out << result.err;
    EXPECT_EQ(played.windowSize, "320x240");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> extra = unexpectedLines(result.out);
    EXPECT_TRUE(extra.size() == 1 && extra[0].starts_with("You are executing '")) << result.out;
    EXPECT_EQ(result.err, "");
}

}  // namespace
