// The order in which boxes on a page are read: rows from the top, each row
// from the left.
#pragma once

#include <cstddef>
#include <vector>

// A box's top-left corner in page pixels, y growing downwards.
struct BoxCorner {
    double x, y;
};

// The boxes' indices in reading order. Tops within 0.01 of a row's first
// (highest) top belong to that row; boxes of one row are ordered from the
// left, equal corners as given. The order is the same however the boxes are
// given, and a corner that is not a number comes after all others.
std::vector<std::size_t> ReadingOrder(const std::vector<BoxCorner>& corners);
