#include "Icon.h"

RgbImage shrinkToSquare(const RgbImage& input, int size, std::string& error) {
    RgbImage output;
    const bool square = input.width == input.height;
    const std::size_t expected = static_cast<std::size_t>(input.width) * input.height * 3;
    if (size <= 0 || !square || input.width % size != 0 || input.bytes.size() != expected) {
        error = "the picture is " + std::to_string(input.width) + "x" +
                std::to_string(input.height) + ", not a square multiple of " + std::to_string(size);
        return output;
    }
    const int block = input.width / size;
    const unsigned int count = static_cast<unsigned int>(block) * static_cast<unsigned int>(block);
    output.width = size;
    output.height = size;
    output.bytes.assign(static_cast<std::size_t>(size) * size * 3, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                unsigned int sum = 0;
                for (int by = 0; by < block; ++by) {
                    const std::size_t row = static_cast<std::size_t>(y * block + by) * input.width;
                    for (int bx = 0; bx < block; ++bx) {
                        sum += input.bytes[(row + x * block + bx) * 3 + channel];
                    }
                }
                // Integer rounding, so the icon's bytes are the same on every machine.
                output.bytes[(static_cast<std::size_t>(y) * size + x) * 3 + channel] =
                    static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
    }
    return output;
}
