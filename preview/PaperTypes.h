// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The units, paper types and states of the page preview control, and the paper table.

enum TUnits { mmPixel, mmLoMetric, mmHiMetric, mmLoEnglish, mmHiEnglish, mmTWIPS, mmPoints };

enum TZoomState { zsZoomOther, zsZoomToWidth, zsZoomToHeight, zsZoomToFit };

enum TPaperType {
    pLetter,
    pLetterSmall,
    pTabloid,
    pLedger,
    pLegal,
    pStatement,
    pExecutive,
    pA3,
    pA4,
    pA4Small,
    pA5,
    pB4,
    pB5,
    pFolio,
    pQuatro,
    p10x14,
    p11x17,
    pNote,
    pEnv9,
    pEnv10,
    pEnv11,
    pEnv12,
    pEnv14,
    pCSheet,
    pDSheet,
    pESheet,
    pEnvDL,
    pEnvC5,
    pEnvC3,
    pEnvC4,
    pEnvC6,
    pEnvC65,
    pEnvB4,
    pEnvB5,
    pEnvB6,
    pEnvItaly,
    pEnvMonarch,
    pEnvPersonal,
    pFanfoldUSStd,
    pFanfoldGermanStd,
    pFanfoldGermanLegal,
    pB4ISO,
    pJapanesePostcard,
    p9x11,
    p10x11,
    p15x11,
    pEnvInvite,
    pLetterExtra,
    pLegalExtra,
    TabloidExtra,
    pA4Extra,
    pLetterTransverse,
    pA4Transverse,
    pLetterExtraTransverse,
    pAPlus,
    pBPlus,
    pLetterPlus,
    pA4Plus,
    pA5Transverse,
    pB5Transverse,
    pA3Extra,
    pA5Extra,
    pB5Extra,
    pA2,
    pA3Transverse,
    pA3ExtraTransverse,
    pCustom
};

enum TPrinterOrientation { poPortrait, poLandscape };

enum TDocumentState { dsIdle, dsRecording, dsPrinting };

inline constexpr int PaperTypeCount = pCustom + 1;

// One row of the paper table: the Windows paper code of the type and its portrait size in
// its own unit (tenths of a millimetre for metric papers, thousandths of an inch for the
// others). pCustom has no size of its own.
struct TPaperInfo {
    int Code;
    int Width;
    int Height;
    TUnits Units;
};

const TPaperInfo& PaperInfo(TPaperType type);

// The type's Windows paper code (256 for pCustom).
int PaperCode(TPaperType type);

// The first type with the given Windows paper code, else pCustom.
TPaperType PaperTypeOfCode(int code);
