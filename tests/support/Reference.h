#pragma once

#include <string>
#include <vector>

// Compares a rendered picture with a committed reference picture. Conforming drivers rasterise
// the same scene a little differently: an edge may fall one pixel further, a sliver thinner than a
// pixel may cover a row of pixels on one and none on another, and shading may round a few levels
// apart. So each pixel is measured against the closest colour around it in the other picture (the
// same pixel and its eight neighbours, both ways), and the difference that counts is the largest
// one a whole 2 x 2 block of pixels shares: lines one pixel wide (edges, slivers) do not count,
// while a missing object or a wrong shadow, an area, does. The share of pixels that differ in
// place is counted as well.
struct PictureDifference {
    bool referenceRead = false;
    // Largest difference, 0..255: for a reference comparison, the largest that a 2 x 2 block of
    // pixels shares, each measured against the closest colour around it in the other picture;
    // otherwise that of any pixel from the same pixel. The difference of two colours is that of
    // their most different channel.
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
