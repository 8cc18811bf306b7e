#pragma once

#include <string>
#include <vector>

// An 8-bit RGB picture, top row first.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bytes;
};

// The picture scaled down to size x size: every output pixel is the rounded mean of the block of
// input pixels under it. The input must be square and a whole multiple of the size; otherwise the
// result is empty and the error says why.
RgbImage shrinkToSquare(const RgbImage& input, int size, std::string& error);
