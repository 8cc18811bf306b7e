#include "support/Reference.h"

#include <algorithm>
#include <cstdlib>

#include "support/GlContext.h"

namespace {

PictureDifference compare(const unsigned char* first, const unsigned char* second, size_t pixels) {
    PictureDifference difference;
    difference.referenceRead = true;
    size_t differing = 0;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
        int worst = 0;
        for (size_t c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(first[pixel * 3 + c] - second[pixel * 3 + c]));
        }
        difference.largest = std::max(difference.largest, worst);
        differing += worst > 16 ? 1 : 0;
        difference.changed += worst > 0 ? 1 : 0;
    }
    difference.differingShare =
        pixels == 0 ? 0.0 : static_cast<double>(differing) / static_cast<double>(pixels);
    return difference;
}

}  // namespace

PictureDifference comparePictures(const std::vector<unsigned char>& first,
                                  const std::vector<unsigned char>& second) {
    if (first.size() != second.size()) {
        return PictureDifference{};
    }
    return compare(first.data(), second.data(), first.size() / 3);
}

PictureDifference compareWithReference(const std::vector<unsigned char>& picture, int width,
                                       int height, const std::string& referencePath) {
    int referenceWidth = 0;
    int referenceHeight = 0;
    unsigned char* expected = nullptr;
    if (!readPng(referencePath.c_str(), referenceWidth, referenceHeight, &expected)) {
        return PictureDifference{};
    }
    const size_t pixels = static_cast<size_t>(width) * height;
    PictureDifference difference;
    if (referenceWidth == width && referenceHeight == height && picture.size() >= pixels * 3) {
        difference = compare(picture.data(), expected, pixels);
    }
    freePng(expected);
    return difference;
}
