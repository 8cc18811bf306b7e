// velmora_bench: how long the game takes to start and how smoothly it runs, each beside what this
// machine does at best in the same run. Run it in the game's working directory under a display
// (xvfb-run with a screen of at least 1920 x 1080).
//
//   velmora_bench [--frames N] [--runs N] [--sizes WxH,WxH] [--out FILE]
//
// The parent starts every measurement in a fresh process: the start-up runs (the game's and a
// bare context's, alternating) and one frame run per window size. It prints one table.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "FrameBench.h"
#include "Hooks.h"
#include "Report.h"
#include "StartupBench.h"

extern char** environ;

namespace {

struct Options {
    int frames = 200;
    int runs = 5;
    std::vector<std::pair<int, int>> sizes{{1280, 720}, {1920, 1080}};
    std::string out;
};

[[noreturn]] void usage(const std::string& message) {
    std::cerr << "velmora_bench: " << message
              << "\nusage: velmora_bench [--frames N] [--runs N] [--sizes WxH,WxH] [--out FILE]\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            usage("missing value for " + arg);
        }
        const std::string value = argv[++i];
        if (arg == "--frames") {
            options.frames = std::atoi(value.c_str());
        } else if (arg == "--runs") {
            options.runs = std::atoi(value.c_str());
        } else if (arg == "--out") {
            options.out = value;
        } else if (arg == "--sizes") {
            options.sizes.clear();
            std::istringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) {
                int width = 0;
                int height = 0;
                if (std::sscanf(item.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 ||
                    height <= 0) {
                    usage("bad size " + item);
                }
                options.sizes.emplace_back(width, height);
            }
        } else {
            usage("unknown option " + arg);
        }
    }
    if (options.frames < 4 || options.runs < 1 || options.sizes.empty()) {
        usage("need --frames >= 4, --runs >= 1 and one size");
    }
    return options;
}

std::string selfPath() {
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

// Starts a program with the arguments and returns its standard output; empty when it fails.
std::string capture(std::vector<std::string> arguments) {
    int pipeEnds[2] = {-1, -1};
    if (pipe(pipeEnds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    ssize_t got = 0;
    while (started == 0 && (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (started != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::cerr << "velmora_bench: " << arguments[0] << " " << arguments[1] << " failed\n";
        return {};
    }
    return output;
}

std::string stamp() {
    char text[64] = {};
    std::snprintf(text, sizeof text, "%.9f", monotonicSeconds());
    return text;
}

// The value after a key in a line of "key value" pairs.
double field(const std::string& line, const std::string& key) {
    std::istringstream in(line);
    std::string word;
    while (in >> word) {
        if (word == key) {
            double value = 0.0;
            in >> value;
            return value;
        }
    }
    return 0.0;
}

StartupFigures measureStartup(const std::string& self, int runs) {
    const std::string bare = self.substr(0, self.find_last_of('/') + 1) + "velmora_bench_bare";
    std::vector<double> columns[9];
    for (int run = 0; run < runs; ++run) {
        const std::string game = capture({self, "--child-startup", stamp()});
        const std::string baseline = capture({bare, stamp()});
        if (game.empty() || baseline.empty()) {
            continue;
        }
        const char* keys[] = {"processToMain", "window", "shaders", "models",
                              "textures",      "shadow", "first",   "total"};
        for (int k = 0; k < 8; ++k) {
            columns[k].push_back(field(game, keys[k]));
        }
        columns[8].push_back(field(baseline, "bare"));
    }
    StartupFigures figures;
    figures.processToMain = median(columns[0]);
    figures.windowAndContext = median(columns[1]);
    figures.shaderPrograms = median(columns[2]);
    figures.models = median(columns[3]);
    figures.textures = median(columns[4]);
    figures.shadowTarget = median(columns[5]);
    figures.firstFrame = median(columns[6]);
    figures.total = median(columns[7]);
    figures.bareTotal = median(columns[8]);
    figures.runs = static_cast<int>(columns[7].size());
    return figures;
}

SizeFigures measureFrames(const std::string& self, int width, int height, int frames) {
    SizeFigures size;
    size.width = width;
    size.height = height;
    const std::string output = capture({self, "--child-frames", std::to_string(width),
                                        std::to_string(height), std::to_string(frames)});
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        LevelFigures level;
        if (decodeLevel(line, level)) {
            size.levels.push_back(level);
        } else if (line.rfind("clear ", 0) == 0) {
            size.clearMs = field(line, "clear");
        }
    }
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    const double mainEnteredAt = monotonicSeconds();
    if (argc >= 3 && std::strcmp(argv[1], "--child-startup") == 0) {
        return runStartupBench(std::atof(argv[2]), mainEnteredAt, std::cout);
    }
    if (argc >= 5 && std::strcmp(argv[1], "--child-frames") == 0) {
        return runFrameBench(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::cout);
    }
    const Options options = parse(argc, argv);
    const std::string self = selfPath();
    const StartupFigures startup = measureStartup(self, options.runs);
    std::vector<SizeFigures> sizes;
    for (const auto& [width, height] : options.sizes) {
        sizes.push_back(measureFrames(self, width, height, options.frames));
    }
    std::ostringstream table;
    writeReport(table, startup, sizes);
    std::cout << table.str();
    if (!options.out.empty()) {
        std::ofstream(options.out) << table.str();
    }
    const bool complete = startup.runs > 0 && sizes.size() == options.sizes.size();
    for (const SizeFigures& size : sizes) {
        if (size.levels.empty()) {
            return 1;
        }
    }
    return complete ? 0 : 1;
}
