#include "support/Reference.h"

#include <algorithm>
#include <cstdlib>

#include "support/GlContext.h"

PictureDifference compareWithReference(const std::vector<unsigned char>& picture, int width,
                                       int height, const std::string& referencePath) {
    PictureDifference difference;
    int referenceWidth = 0;
    int referenceHeight = 0;
    unsigned char* expected = nullptr;
    if (!readPng(referencePath.c_str(), referenceWidth, referenceHeight, &expected)) {
        return difference;
    }
    const size_t pixels = static_cast<size_t>(width) * height;
    if (referenceWidth != width || referenceHeight != height || picture.size() < pixels * 3) {
        freePng(expected);
        return difference;
    }
    difference.referenceRead = true;
    size_t differing = 0;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
        int worst = 0;
        for (size_t c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(picture[pixel * 3 + c] - expected[pixel * 3 + c]));
        }
        difference.largest = std::max(difference.largest, worst);
        differing += worst > 16 ? 1 : 0;
    }
    freePng(expected);
    difference.differingShare = static_cast<double>(differing) / static_cast<double>(pixels);
    return difference;
}
