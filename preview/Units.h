// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "preview/PaperTypes.h"

#include <cstdint>

// a * b / c in 64 bits, rounded to the nearest integer (halves away from zero).
int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c);

// How many of the unit make an inch; pixels count as the pixels per inch given.
int UnitsPerInch(TUnits units, int pixelsPerInch);

// Converts a length from one unit to another. Pixels in the source are counted at
// sourcePixelsPerInch, pixels in the result at targetPixelsPerInch, so that pixels to pixels
// rescales from one resolution to the other.
int ConvertUnits(int value, TUnits from, TUnits to, int sourcePixelsPerInch,
                 int targetPixelsPerInch);
