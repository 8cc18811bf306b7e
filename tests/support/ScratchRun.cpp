#include "support/ScratchRun.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "support/Game.h"

namespace {

namespace fs = std::filesystem;

// Lines every healthy run writes: the dialogue's prompts.
const std::set<std::string> promptLines = {
    "Pleace enter '1' if you want to start in full screen mode and `0` otherwise",
    " than press Enter afterwords",
    "Pleace enter your desired window width and Press Enter",
    "Pleace enter your desired window height and Press Enter",
    "If you want to start the programm in testing mode",
    " (for shadow Mapping -> fixed light position and direction)",
    " enter '1' otherwise anything else",
};

// Bytes that no parser should take for anything, the same in every run.
std::string garbageBytes(size_t length) {
    std::string bytes(length, '\0');
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (char& byte : bytes) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        byte = static_cast<char>(state >> 56);
    }
    return bytes;
}

}  // namespace

ScratchRun::ScratchRun(bool withGameData) {
    std::string pattern = (fs::temp_directory_path() / "velmora-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    path_ = pattern;
    // Everything but the binary, which the copy is started with from where it was built.
    for (const fs::directory_entry& entry : fs::directory_iterator(VELMORA_RUN_DIR)) {
        if (withGameData && entry.path().filename() != "velmora") {
            fs::copy(entry.path(), fs::path(path_) / entry.path().filename(),
                     fs::copy_options::recursive);
        }
    }
}

ScratchRun::~ScratchRun() {
    std::error_code ignored;
    if (!path_.empty()) {
        fs::remove_all(path_, ignored);
    }
}

std::string ScratchRun::original(const std::string& relative) {
    std::ifstream in(std::string(VELMORA_RUN_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ScratchRun::write(const std::string& relative, const std::string& bytes) const {
    std::error_code ignored;
    fs::remove_all(file(relative), ignored);
    fs::create_directories(fs::path(file(relative)).parent_path());
    std::ofstream(file(relative), std::ios::binary) << bytes;
    return file(relative);
}

ProcessOptions ScratchRun::gameOptions(const std::vector<std::string>& arguments) const {
    ProcessOptions options = ::gameOptions(arguments);
    options.workDir = path_;
    // Broken data drives system libraries down paths where they leak; those leaks are listed, and
    // only those are forgiven.
    options.setEnv.emplace_back("LSAN_OPTIONS",
                                "suppressions=" VELMORA_SOURCE_DIR
                                "/tests/support/system-leaks.supp:print_suppressions=0");
    return options;
}

void breakFile(const ScratchRun& run, const std::string& relative, const std::string& fault) {
    const std::string whole = ScratchRun::original(relative);
    std::error_code ignored;
    fs::remove_all(run.file(relative), ignored);
    if (fault == "folder") {
        fs::create_directory(run.file(relative));
    } else if (fault == "empty" || fault == "truncated") {
        run.write(relative, whole.substr(0, fault == "empty" ? 0 : whole.size() / 2));
    } else if (fault == "garbage") {
        run.write(relative, garbageBytes(4096));
    } else if (fault == "pixmap") {
        run.write(relative, std::string("P6\n1 1\n255\n") + "\x10\x20\x30");
    } else if (fault != "missing") {
        run.write(relative, ScratchRun::original(fault));
    }
}

std::vector<std::string> unexpectedLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const bool statistics =
            line.rfind("frametime:", 0) == 0 || line.rfind(" rendered Objects", 0) == 0;
        if (!statistics && promptLines.count(line) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}
