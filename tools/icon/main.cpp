#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Icon.h"

// Writes the game's icon: a picture of the generated data scaled down to a square PNG.
// Usage: velmora_icon INPUT_IMAGE SIZE OUTPUT_PNG
int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmora_icon INPUT_IMAGE SIZE OUTPUT_PNG\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* data = stbi_load(argv[1], &width, &height, &channels, 3);
    if (data == nullptr) {
        std::fprintf(stderr, "velmora_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    RgbImage input;
    input.width = width;
    input.height = height;
    input.bytes.assign(data, data + static_cast<std::size_t>(width) * height * 3);
    stbi_image_free(data);

    std::string error;
    const RgbImage icon = shrinkToSquare(input, size, error);
    if (icon.bytes.empty()) {
        std::fprintf(stderr, "velmora_icon: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (stbi_write_png(argv[3], icon.width, icon.height, 3, icon.bytes.data(), icon.width * 3) ==
        0) {
        std::fprintf(stderr, "velmora_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
