// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/PaperTypes.h"

namespace {

// The sizes are those of the Windows paper size list for each code, so that a code read
// from a printer and a type chosen here mean the same sheet. A few are wider than high as
// listed; they are kept that way.
constexpr TPaperInfo PaperTable[PaperTypeCount] = {
    {1, 8500, 11000, mmHiEnglish},   // pLetter
    {2, 8500, 11000, mmHiEnglish},   // pLetterSmall
    {3, 11000, 17000, mmHiEnglish},  // pTabloid
    {4, 17000, 11000, mmHiEnglish},  // pLedger
    {5, 8500, 14000, mmHiEnglish},   // pLegal
    {6, 5500, 8500, mmHiEnglish},    // pStatement
    {7, 7250, 10500, mmHiEnglish},   // pExecutive
    {8, 2970, 4200, mmLoMetric},     // pA3
    {9, 2100, 2970, mmLoMetric},     // pA4
    {10, 2100, 2970, mmLoMetric},    // pA4Small
    {11, 1480, 2100, mmLoMetric},    // pA5
    {12, 2500, 3540, mmLoMetric},    // pB4
    {13, 1820, 2570, mmLoMetric},    // pB5
    {14, 8500, 13000, mmHiEnglish},  // pFolio
    {15, 2150, 2750, mmLoMetric},    // pQuatro
    {16, 10000, 14000, mmHiEnglish}, // p10x14
    {17, 11000, 17000, mmHiEnglish}, // p11x17
    {18, 8500, 11000, mmHiEnglish},  // pNote
    {19, 3875, 8875, mmHiEnglish},   // pEnv9
    {20, 4125, 9500, mmHiEnglish},   // pEnv10
    {21, 4500, 10375, mmHiEnglish},  // pEnv11
    {22, 4750, 11000, mmHiEnglish},  // pEnv12
    {23, 5000, 11500, mmHiEnglish},  // pEnv14
    {24, 17000, 22000, mmHiEnglish}, // pCSheet
    {25, 22000, 34000, mmHiEnglish}, // pDSheet
    {26, 34000, 44000, mmHiEnglish}, // pESheet
    {27, 1100, 2200, mmLoMetric},    // pEnvDL
    {28, 1620, 2290, mmLoMetric},    // pEnvC5
    {29, 3240, 4580, mmLoMetric},    // pEnvC3
    {30, 2290, 3240, mmLoMetric},    // pEnvC4
    {31, 1140, 1620, mmLoMetric},    // pEnvC6
    {32, 1140, 2290, mmLoMetric},    // pEnvC65
    {33, 2500, 3530, mmLoMetric},    // pEnvB4
    {34, 1760, 2500, mmLoMetric},    // pEnvB5
    {35, 1760, 1250, mmLoMetric},    // pEnvB6
    {36, 1100, 2300, mmLoMetric},    // pEnvItaly
    {37, 3875, 7500, mmHiEnglish},   // pEnvMonarch
    {38, 3625, 6500, mmHiEnglish},   // pEnvPersonal
    {39, 14875, 11000, mmHiEnglish}, // pFanfoldUSStd
    {40, 8500, 12000, mmHiEnglish},  // pFanfoldGermanStd
    {41, 8500, 13000, mmHiEnglish},  // pFanfoldGermanLegal
    {42, 2500, 3530, mmLoMetric},    // pB4ISO
    {43, 1000, 1480, mmLoMetric},    // pJapanesePostcard
    {44, 9000, 11000, mmHiEnglish},  // p9x11
    {45, 10000, 11000, mmHiEnglish}, // p10x11
    {46, 15000, 11000, mmHiEnglish}, // p15x11
    {47, 2200, 2200, mmLoMetric},    // pEnvInvite
    {50, 9500, 12000, mmHiEnglish},  // pLetterExtra
    {51, 9500, 15000, mmHiEnglish},  // pLegalExtra
    {52, 11690, 18000, mmHiEnglish}, // TabloidExtra
    {53, 9270, 12690, mmHiEnglish},  // pA4Extra
    {54, 8500, 11000, mmHiEnglish},  // pLetterTransverse
    {55, 2100, 2970, mmLoMetric},    // pA4Transverse
    {56, 9500, 12000, mmHiEnglish},  // pLetterExtraTransverse
    {57, 2270, 3560, mmLoMetric},    // pAPlus
    {58, 3050, 4870, mmLoMetric},    // pBPlus
    {59, 8500, 12690, mmHiEnglish},  // pLetterPlus
    {60, 2100, 3300, mmLoMetric},    // pA4Plus
    {61, 1480, 2100, mmLoMetric},    // pA5Transverse
    {62, 1820, 2570, mmLoMetric},    // pB5Transverse
    {63, 3220, 4450, mmLoMetric},    // pA3Extra
    {64, 1740, 2350, mmLoMetric},    // pA5Extra
    {65, 2010, 2760, mmLoMetric},    // pB5Extra
    {66, 4200, 5940, mmLoMetric},    // pA2
    {67, 2970, 4200, mmLoMetric},    // pA3Transverse
    {68, 3220, 4450, mmLoMetric},    // pA3ExtraTransverse
    {256, 0, 0, mmPixel},            // pCustom
};

} // namespace

const TPaperInfo& PaperInfo(TPaperType type) {
    return PaperTable[type];
}

int PaperCode(TPaperType type) {
    return PaperTable[type].Code;
}

TPaperType PaperTypeOfCode(int code) {
    for (int type = 0; type < PaperTypeCount; ++type)
        if (PaperTable[type].Code == code)
            return static_cast<TPaperType>(type);
    return pCustom;
}
