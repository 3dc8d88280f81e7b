// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/Units.h"

int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0)
        return 0;
    std::int64_t numerator = a * b;
    if (c < 0) {
        numerator = -numerator;
        c = -c;
    }
    const std::int64_t half = c / 2;
    const std::int64_t result =
        numerator >= 0 ? (numerator + half) / c : -((-numerator + half) / c);
    return static_cast<int>(result);
}

int UnitsPerInch(TUnits units, int pixelsPerInch) {
    switch (units) {
    case mmPixel:
        return pixelsPerInch;
    case mmLoMetric:
        return 254;
    case mmHiMetric:
        return 2540;
    case mmLoEnglish:
        return 100;
    case mmHiEnglish:
        return 1000;
    case mmTWIPS:
        return 1440;
    case mmPoints:
        return 72;
    }
    return pixelsPerInch;
}

int ConvertUnits(int value, TUnits from, TUnits to, int sourcePixelsPerInch,
                 int targetPixelsPerInch) {
    if (from == to && (from != mmPixel || sourcePixelsPerInch == targetPixelsPerInch))
        return value;
    // Between the two metric units, the two English units and twips and points the factor is
    // a whole ten or twenty: these steps multiply or divide (truncating) without rounding.
    if ((from == mmLoMetric && to == mmHiMetric) || (from == mmLoEnglish && to == mmHiEnglish))
        return value * 10;
    if ((from == mmHiMetric && to == mmLoMetric) || (from == mmHiEnglish && to == mmLoEnglish))
        return value / 10;
    if (from == mmTWIPS && to == mmPoints)
        return value / 20;
    if (from == mmPoints && to == mmTWIPS)
        return value * 20;
    return MulDivRound(value, UnitsPerInch(to, targetPixelsPerInch),
                       UnitsPerInch(from, sourcePixelsPerInch));
}
