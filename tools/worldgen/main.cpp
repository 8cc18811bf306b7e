#include <cstdio>
#include <string>

#include "World.h"

// Writes the game's models, textures and cube-map image into the directory given as the only
// argument (the game's working directory).
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_worldgen OUTPUT_DIRECTORY\n");
        return 2;
    }
    std::string error;
    std::vector<std::string> files = writeWorld(argv[1], error);
    if (!error.empty()) {
        std::fprintf(stderr, "velmora_worldgen: cannot write %s/%s\n", argv[1], error.c_str());
        return 1;
    }
    std::printf("velmora_worldgen: %zu files written to %s\n", files.size(), argv[1]);
    return 0;
}
