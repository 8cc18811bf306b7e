#include "support/Reference.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "support/GlContext.h"

namespace {

// A difference in place above this counts towards the share of differing pixels.
const int smallDifference = 16;

// The difference of two RGB colours: that of their most different channel.
int colourDifference(const unsigned char* first, const unsigned char* second) {
    return std::max({std::abs(first[0] - second[0]), std::abs(first[1] - second[1]),
                     std::abs(first[2] - second[2])});
}

PictureDifference compare(const unsigned char* first, const unsigned char* second, size_t pixels) {
    PictureDifference difference;
    difference.referenceRead = true;
    size_t differing = 0;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
        const int worst = colourDifference(first + pixel * 3, second + pixel * 3);
        difference.largest = std::max(difference.largest, worst);
        differing += worst > smallDifference ? 1 : 0;
        difference.changed += worst > 0 ? 1 : 0;
    }
    difference.differingShare =
        pixels == 0 ? 0.0 : static_cast<double>(differing) / static_cast<double>(pixels);
    return difference;
}

// The difference of the pixel (x, y) of one picture from the closest colour among the other's
// pixel (x, y) and its neighbours.
int neighbourhoodDifference(const unsigned char* picture, const unsigned char* other, int width,
                            int height, int x, int y) {
    const unsigned char* pixel = picture + (static_cast<size_t>(y) * width + x) * 3;
    int closest = 255;
    for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
        for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
            closest = std::min(
                closest,
                colourDifference(pixel, other + (static_cast<size_t>(ny) * width + nx) * 3));
        }
    }
    return closest;
}

// The largest difference that a 2 x 2 block of pixels shares, each pixel's difference being the
// larger of its two neighbourhood differences (both ways, so that a patch missing from the picture
// shows as well as one added).
int largestAreaDifference(const unsigned char* picture, const unsigned char* reference, int width,
                          int height) {
    std::vector<int> around(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            around[static_cast<size_t>(y) * width + x] =
                std::max(neighbourhoodDifference(picture, reference, width, height, x, y),
                         neighbourhoodDifference(reference, picture, width, height, x, y));
        }
    }
    int largest = 0;
    for (int y = 0; y + 1 < height; ++y) {
        for (int x = 0; x + 1 < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            largest = std::max(largest, std::min({around[at], around[at + 1], around[at + width],
                                                  around[at + width + 1]}));
        }
    }
    return largest;
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
        difference.largest = largestAreaDifference(picture.data(), expected, width, height);
    }
    freePng(expected);
    return difference;
}
