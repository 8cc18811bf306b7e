#pragma once

#include <string>
#include <vector>

// Compares a rendered picture with a committed reference picture within a tolerance, since
// another driver may round a few edge pixels differently.
struct PictureDifference {
    bool referenceRead = false;
    // Largest difference of any channel of any pixel, 0..255.
    int largest = 0;
    // Share of pixels whose largest channel difference exceeds 16.
    double differingShare = 1.0;
    // Pixels that differ at all.
    long changed = 0;
};

// Two pictures of the same size (RGB, any row order) compared the same way.
PictureDifference comparePictures(const std::vector<unsigned char>& first,
                                  const std::vector<unsigned char>& second);

// picture: RGB, top row first, width x height. The reference must have the same size.
PictureDifference compareWithReference(const std::vector<unsigned char>& picture, int width,
                                       int height, const std::string& referencePath);
