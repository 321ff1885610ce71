#pragma once

#include <vector>

#include "platform/base/colorref.h"

// One ring of a button's bevel: the colour of its top and left edges and of its bottom
// and right edges.
struct BevelRing {
    COLORREF topLeft;
    COLORREF bottomRight;

    friend bool operator==(const BevelRing&, const BevelRing&) = default;
};

// The rings of a bevel of width w, from the outside in. A positive width is raised, a
// negative one sunken (light and dark swap, and a wide sunken bevel ends in near-black
// bottom and right edges); 0 draws nothing.
std::vector<BevelRing> BevelRings(int w);

// A one-pixel line of a bevel as a filled rectangle of pixels.
struct BevelLine {
    int x;
    int y;
    int width;
    int height;
    COLORREF color;

    friend bool operator==(const BevelLine&, const BevelLine&) = default;
};

// The lines that draw a bevel of width w inside the rectangle [left, right) x [top, bottom),
// in drawing order: for each ring top, left, bottom, right, then the rectangle shrinks by
// one pixel on every side. Lines of a rectangle that has shrunk to nothing are left out.
std::vector<BevelLine> BevelLines(int left, int top, int right, int bottom, int w);
