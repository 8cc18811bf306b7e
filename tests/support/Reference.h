#pragma once

#include <string>
#include <vector>

// Compares a rendered picture with a committed reference picture. Conforming drivers rasterise
// the same scene a little differently: an edge may fall one pixel further, and shading may round
// a few levels apart. So each pixel of either picture is measured against the closest colour in
// the other's neighbourhood of that pixel (itself and its eight neighbours), and only a small
// share of the pixels may differ in place. A missing object or a wrong shadow is a patch of pixels
// with no near match anywhere around them, and still shows.
struct PictureDifference {
    bool referenceRead = false;
    // Largest difference of any pixel, 0..255: for a reference comparison, from the closest
    // colour in the other picture's neighbourhood; otherwise from the same pixel. The
    // difference of two colours is that of their most different channel.
    int largest = 0;
    // Share of pixels whose difference in place exceeds 16.
    double differingShare = 1.0;
    // Pixels that differ at all, in place.
    long changed = 0;
};

// Two pictures of the same size (RGB, any row order) compared pixel by pixel, exactly: for
// pictures made in the same run by the same driver.
PictureDifference comparePictures(const std::vector<unsigned char>& first,
                                  const std::vector<unsigned char>& second);

// picture: RGB, top row first, width x height. The reference must have the same size.
PictureDifference compareWithReference(const std::vector<unsigned char>& picture, int width,
                                       int height, const std::string& referencePath);
