// The icon's scaling: each output pixel the rounded mean of its block, and pictures it cannot
// scale evenly refused.
#include <gtest/gtest.h>

#include "Icon.h"

namespace {

// Red is the value, green its mirror, blue a constant: a mix-up of channels shows.
RgbImage picture(int width, int height, const std::vector<unsigned char>& values) {
    RgbImage image{.width = width, .height = height, .bytes = {}};
    for (unsigned char value : values) {
        image.bytes.insert(image.bytes.end(), {value, static_cast<unsigned char>(255 - value), 7});
    }
    return image;
}

TEST(IconShrink, EachPixelIsTheRoundedMeanOfItsBlock) {
    // Four 2x2 blocks. Red means 0.75, 1.75, 0.5 and 252; green 254.25, 253.25, 254.5 and 3.
    const RgbImage input = picture(4, 4,
                                   {0, 1, 1, 2,      //
                                    1, 1, 2, 2,      //
                                    0, 1, 250, 251,  //
                                    1, 0, 253, 254});
    std::string error;
    const RgbImage icon = shrinkToSquare(input, 2, error);
    EXPECT_TRUE(icon.width == 2 && icon.height == 2);
    const std::vector<unsigned char> expected = {1, 254, 7, 2, 253, 7, 1, 255, 7, 252, 3, 7};
    EXPECT_EQ(icon.bytes, expected);
    EXPECT_TRUE(error.empty());
}

TEST(IconShrink, RefusesPicturesItCannotScaleEvenly) {
    std::string error;
    const std::vector<unsigned char> six(36, 9);
    EXPECT_TRUE(shrinkToSquare(picture(6, 6, six), 4, error).bytes.empty());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(shrinkToSquare(picture(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}), 2, error).bytes.empty());
    // Fewer bytes than the size says, and a size of 0.
    EXPECT_TRUE(
        shrinkToSquare(picture(4, 4, std::vector<unsigned char>(15, 9)), 2, error).bytes.empty());
    EXPECT_TRUE(
        shrinkToSquare(picture(4, 4, std::vector<unsigned char>(16, 9)), 0, error).bytes.empty());
}

}  // namespace
