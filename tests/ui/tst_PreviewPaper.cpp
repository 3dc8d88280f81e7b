// SPDX-License-Identifier: GPL-3.0-or-later

// The preview control's paper: the paper table, unit conversions, paper type, size,
// orientation and units, and how the page canvas maps the paper.

#include "preview/Units.h"
#include "tests/ui/PreviewRig.h"

#include <QFontMetricsF>
#include <QTest>
#include <cmath>

Q_DECLARE_METATYPE(TUnits)

namespace {

constexpr TPaperType AllPaperTypes[] = {
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
    pCustom,
};

constexpr TUnits AllUnits[] = {mmPixel,     mmLoMetric, mmHiMetric, mmLoEnglish,
                               mmHiEnglish, mmTWIPS,    mmPoints};

const char* UnitName(TUnits units) {
    static const char* const names[] = {"pixel",      "lo-metric", "hi-metric", "lo-english",
                                        "hi-english", "twips",     "points"};
    return names[units];
}

// Units per inch as the units are defined, pixels at the screen's 96.
long double PerInch(TUnits units) {
    static const long double perInch[] = {96, 254, 2540, 100, 1000, 1440, 72};
    return perInch[units];
}

} // namespace

class TestPreviewPaper : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void paperTableInOrderWithWindowsCodes();
    void conversionsBetweenEveryPairOfUnits_data();
    void conversionsBetweenEveryPairOfUnits();
    void exactStepsTruncateAndRoundingIsToNearest();
    void pixelsToPixelsRescalesToTheDevice();
    void defaultsAreA4PortraitInHundredthsOfAMillimetre();
    void paperTypeSetsTheTableSizeForTheOrientation();
    void paperSizeIsClampedAndFindsItsType();
    void paperTypeByCode();
    void paperCannotChangeWhileADocumentIsOpen();
    void unitsConvertTheSizeAndTheOpenCanvas();
    void canvasMapsThePaperInEveryUnit_data();
    void canvasMapsThePaperInEveryUnit();
    void fontPointsArePointsOnPaper_data();
    void fontPointsArePointsOnPaper();
};

void TestPreviewPaper::initTestCase() {
    TPrintPreview preview;
    // The expected figures below count screen pixels at 96 per inch, as offscreen has them.
    QCOMPARE(preview.logicalDpiX(), 96);
    QCOMPARE(preview.logicalDpiY(), 96);
}

void TestPreviewPaper::paperTableInOrderWithWindowsCodes() {
    QCOMPARE(int(std::size(AllPaperTypes)), PaperTypeCount);
    for (int index = 0; index < PaperTypeCount; ++index) {
        QCOMPARE(int(AllPaperTypes[index]), index);
        // Codes run 1 to 68 in order, 48 and 49 unused, and 256 for a custom paper.
        const int code = index < 47 ? index + 1 : index < 66 ? index + 3 : 256;
        QCOMPARE(PaperCode(AllPaperTypes[index]), code);
        QCOMPARE(PaperTypeOfCode(code), AllPaperTypes[index]);
    }
    QCOMPARE(PaperTypeOfCode(48), pCustom);
    QCOMPARE(PaperTypeOfCode(49), pCustom);
    QCOMPARE(PaperTypeOfCode(0), pCustom);

    struct Row {
        TPaperType type;
        int width, height;
        TUnits units;
    };
    const Row rows[] = {{pLetter, 8500, 11000, mmHiEnglish},
                        {pLegal, 8500, 14000, mmHiEnglish},
                        {pA4, 2100, 2970, mmLoMetric},
                        {pA5, 1480, 2100, mmLoMetric},
                        {pB4, 2500, 3540, mmLoMetric},
                        {pB5, 1820, 2570, mmLoMetric},
                        {pEnvB6, 1760, 1250, mmLoMetric},
                        {pEnvInvite, 2200, 2200, mmLoMetric},
                        {pLetterExtra, 9500, 12000, mmHiEnglish},
                        {pA4Extra, 9270, 12690, mmHiEnglish},
                        {pA3ExtraTransverse, 3220, 4450, mmLoMetric},
                        {pCustom, 0, 0, mmPixel}};
    for (const Row& row : rows) {
        QCOMPARE(PaperInfo(row.type).Width, row.width);
        QCOMPARE(PaperInfo(row.type).Height, row.height);
        QCOMPARE(PaperInfo(row.type).Units, row.units);
    }
}

void TestPreviewPaper::conversionsBetweenEveryPairOfUnits_data() {
    QTest::addColumn<TUnits>("from");
    QTest::addColumn<TUnits>("to");
    for (TUnits from : AllUnits)
        for (TUnits to : AllUnits)
            QTest::addRow("%s to %s", UnitName(from), UnitName(to)) << from << to;
}

void TestPreviewPaper::conversionsBetweenEveryPairOfUnits() {
    QFETCH(TUnits, from);
    QFETCH(TUnits, to);
    TPrintPreview preview;
    const bool exactUp = (from == mmLoMetric && to == mmHiMetric) ||
                         (from == mmLoEnglish && to == mmHiEnglish) ||
                         (from == mmPoints && to == mmTWIPS);
    const bool exactDown = (from == mmHiMetric && to == mmLoMetric) ||
                           (from == mmHiEnglish && to == mmLoEnglish) ||
                           (from == mmTWIPS && to == mmPoints);
    for (int value : {0, 1, 2, 3, 7, 99, 1000, 1239, 12345, 29700, -1, -1239, -29700}) {
        int expected;
        if (from == to)
            expected = value;
        else if (exactUp)
            expected = value * (from == mmPoints ? 20 : 10);
        else if (exactDown)
            expected = value / (from == mmTWIPS ? 20 : 10);
        else
            expected = int(std::lround(value * PerInch(to) / PerInch(from)));
        QCOMPARE(preview.ToUnitsX(value, from, to), expected);
        QCOMPARE(preview.ToUnitsY(value, from, to), expected);
        QCOMPARE(preview.ToUnits(QPoint(value, 2 * value), from, to),
                 QPoint(expected, preview.ToUnitsY(2 * value, from, to)));
    }
}

void TestPreviewPaper::exactStepsTruncateAndRoundingIsToNearest() {
    TPrintPreview preview;
    // Division by the exact factor truncates where rounding would go up.
    QCOMPARE(preview.ToUnitsX(1239, mmHiMetric, mmLoMetric), 123);
    QCOMPARE(preview.ToUnitsX(-1239, mmHiMetric, mmLoMetric), -123);
    QCOMPARE(preview.ToUnitsY(8509, mmHiEnglish, mmLoEnglish), 850);
    QCOMPARE(preview.ToUnitsY(1439, mmTWIPS, mmPoints), 71);
    QCOMPARE(preview.ToUnitsX(7, mmPoints, mmTWIPS), 140);
    // Other pairs round to the nearest, halves away from zero.
    QCOMPARE(preview.ToUnitsX(2, mmPixel, mmPoints), 2);   // 1.5
    QCOMPARE(preview.ToUnitsX(-2, mmPixel, mmPoints), -2); // -1.5
    QCOMPARE(preview.ToUnitsX(1, mmPixel, mmPoints), 1);   // 0.75
    QCOMPARE(preview.ToUnitsX(1, mmLoMetric, mmPixel), 0); // 0.378
    QCOMPARE(preview.ToUnitsX(29700, mmHiMetric, mmPixel), 1123);
    QCOMPARE(preview.ToUnitsX(21000, mmHiMetric, mmPixel), 794);
    QCOMPARE(preview.ToUnitsX(8500, mmHiEnglish, mmLoMetric), 2159);
    // 64 bits between the product and the quotient.
    QCOMPARE(preview.ToUnitsX(2000000000, mmHiMetric, mmTWIPS), 1133858268);
}

void TestPreviewPaper::pixelsToPixelsRescalesToTheDevice() {
    QCOMPARE(ConvertUnits(96, mmPixel, mmPixel, 96, 1200), 1200);
    QCOMPARE(ConvertUnits(794, mmPixel, mmPixel, 96, 600), 4963);
    QCOMPARE(ConvertUnits(794, mmPixel, mmPixel, 96, 96), 794);
    QCOMPARE(ConvertUnits(21000, mmHiMetric, mmPixel, 96, 1200), 9921);
    QCOMPARE(MulDivRound(7, 3, 0), 0);
}

void TestPreviewPaper::defaultsAreA4PortraitInHundredthsOfAMillimetre() {
    TPrintPreview preview;
    QCOMPARE(preview.Units(), mmHiMetric);
    QCOMPARE(preview.PaperType(), pA4);
    QCOMPARE(preview.Orientation(), poPortrait);
    QCOMPARE(preview.PaperWidth(), 21000);
    QCOMPARE(preview.PaperHeight(), 29700);
    QCOMPARE(preview.PageRect(), QRect(0, 0, 21000, 29700));
    QCOMPARE(preview.Zoom(), 100);
    QCOMPARE(preview.ZoomState(), zsZoomToFit);
    QCOMPARE(preview.ZoomMin(), 10);
    QCOMPARE(preview.ZoomMax(), 500);
    QCOMPARE(preview.ZoomStep(), 10);
    QVERIFY(preview.ZoomSavePos());
    QVERIFY(!preview.UseTempFile());
    QVERIFY(!preview.DirectPrint());
    QVERIFY(!preview.UsePrinterOptions());
    QVERIFY(preview.FastPrint());
    QCOMPARE(preview.PrintJobTitle(), QString());
    QCOMPARE(preview.DocumentState(), dsIdle);
    QCOMPARE(preview.TotalPages(), 0);
    QCOMPARE(preview.ShownPage(), 0);
    QCOMPARE(preview.font().family(), QString("Arial"));
    QCOMPARE(preview.font().pointSize(), 8);
    QCOMPARE(preview.focusPolicy(), Qt::StrongFocus);
    QCOMPARE(preview.PaperView().BorderWidth, 1);
    QCOMPARE(preview.PaperView().ShadowWidth, 3);
    QCOMPARE(preview.PaperView().PaperColor, QColor(Qt::white));
    QCOMPARE(preview.PaperView().BorderColor, QColor(Qt::black));
}

void TestPreviewPaper::paperTypeSetsTheTableSizeForTheOrientation() {
    TPrintPreview preview;
    preview.SetPaperType(pLetter);
    QCOMPARE(preview.PaperType(), pLetter);
    QCOMPARE(preview.PaperWidth(), 21590);
    QCOMPARE(preview.PaperHeight(), 27940);
    preview.SetOrientation(poLandscape);
    QCOMPARE(preview.PaperWidth(), 27940);
    QCOMPARE(preview.PaperHeight(), 21590);
    preview.SetPaperType(pA5);
    QCOMPARE(preview.PaperWidth(), 21000);
    QCOMPARE(preview.PaperHeight(), 14800);
    // A custom paper keeps the size it has.
    preview.SetPaperType(pCustom);
    QCOMPARE(preview.PaperType(), pCustom);
    QCOMPARE(preview.PaperWidth(), 21000);
    QCOMPARE(preview.PaperHeight(), 14800);
    preview.SetOrientation(poPortrait);
    QCOMPARE(preview.PaperWidth(), 14800);
    QCOMPARE(preview.PaperHeight(), 21000);
    // Wider than high as listed, and kept so.
    preview.SetPaperType(pEnvB6);
    QCOMPARE(preview.PaperWidth(), 17600);
    QCOMPARE(preview.PaperHeight(), 12500);
}

void TestPreviewPaper::paperSizeIsClampedAndFindsItsType() {
    TPrintPreview preview;
    preview.SetUnits(mmLoMetric);
    preview.SetPaperType(pCustom);
    // pA4 is the first entry of that size, before pA4Small and pA4Transverse.
    preview.SetPaperSize(2100, 2970);
    QCOMPARE(preview.PaperType(), pA4);

    preview.SetPaperSize(0, 2970);
    QCOMPARE(preview.PaperWidth(), 1);
    QCOMPARE(preview.PaperType(), pCustom);
    preview.SetPaperSize(-5, -7);
    QCOMPARE(preview.PaperWidth(), 1);
    QCOMPARE(preview.PaperHeight(), 1);
    preview.SetPaperSize(40000, 32768);
    QCOMPARE(preview.PaperWidth(), 32767);
    QCOMPARE(preview.PaperHeight(), 32767);

    // Width and height set one value and keep the other.
    preview.SetPaperWidth(1000);
    QCOMPARE(preview.PaperWidth(), 1000);
    QCOMPARE(preview.PaperHeight(), 32767);
    preview.SetPaperHeight(1500);
    QCOMPARE(PaperSize(preview), QSize(1000, 1500));
    QCOMPARE(preview.PaperType(), pCustom);

    // The type is looked for by the portrait size, in the type's own unit.
    preview.SetOrientation(poLandscape);
    preview.SetPaperSize(2970, 2100);
    QCOMPARE(preview.PaperType(), pA4);
    preview.SetOrientation(poPortrait);
    preview.SetUnits(mmHiEnglish);
    preview.SetPaperSize(8500, 14000);
    QCOMPARE(preview.PaperType(), pLegal);
    preview.SetPaperSize(17000, 11000);
    QCOMPARE(preview.PaperType(), pLedger);
}

void TestPreviewPaper::paperTypeByCode() {
    TPrintPreview preview;
    preview.SetPaperTypeByCode(11);
    QCOMPARE(preview.PaperType(), pA5);
    preview.SetPaperTypeByCode(68);
    QCOMPARE(preview.PaperType(), pA3ExtraTransverse);
    QCOMPARE(preview.PaperWidth(), 32200);
    preview.SetPaperTypeByCode(48);
    QCOMPARE(preview.PaperType(), pCustom);
    QCOMPARE(preview.PaperWidth(), 32200);
    preview.SetPaperTypeByCode(1);
    QCOMPARE(preview.PaperType(), pLetter);
}

void TestPreviewPaper::paperCannotChangeWhileADocumentIsOpen() {
    TPrintPreview preview;
    preview.BeginDoc();
    QCOMPARE(preview.DocumentState(), dsRecording);
    preview.SetPaperType(pA5);
    preview.SetPaperSize(1000, 1000);
    preview.SetOrientation(poLandscape);
    preview.SetPaperTypeByCode(1);
    QCOMPARE(preview.PaperType(), pA4);
    QCOMPARE(preview.Orientation(), poPortrait);
    QCOMPARE(PaperSize(preview), QSize(21000, 29700));
    preview.EndDoc();
    preview.SetPaperType(pA5);
    QCOMPARE(preview.PaperType(), pA5);
}

void TestPreviewPaper::unitsConvertTheSizeAndTheOpenCanvas() {
    TPrintPreview preview;
    preview.SetUnits(mmLoMetric);
    QCOMPARE(PaperSize(preview), QSize(2100, 2970));
    preview.SetUnits(mmPixel);
    QCOMPARE(PaperSize(preview), QSize(794, 1123));
    QCOMPARE(preview.PaperType(), pA4);
    // A custom size is converted from the units it was in.
    preview.SetUnits(mmLoMetric);
    preview.SetPaperSize(1000, 1500);
    preview.SetUnits(mmHiMetric);
    QCOMPARE(PaperSize(preview), QSize(10000, 15000));
    QCOMPARE(preview.PaperType(), pCustom);

    // While a page is open its pen and its mapping follow the units.
    preview.SetPaperType(pA4);
    preview.BeginDoc();
    QPainter& canvas = *preview.PageCanvas();
    canvas.setPen(QPen(Qt::black, 50));
    QCOMPARE(canvas.window(), QRect(0, 0, 21000, 29700));
    preview.SetUnits(mmLoMetric);
    QCOMPARE(canvas.pen().width(), 5);
    QCOMPARE(canvas.window(), QRect(0, 0, 2100, 2970));
    QCOMPARE(preview.PageRect(), QRect(0, 0, 2100, 2970));
    // One inch square one inch from the corner, in the new units.
    canvas.fillRect(QRect(254, 254, 254, 254), Qt::black);
    preview.EndDoc();
    QCOMPARE(InkBounds(PlayedPage(preview, 1, QSize(794, 1123))), QRect(96, 96, 96, 96));
}

void TestPreviewPaper::canvasMapsThePaperInEveryUnit_data() {
    QTest::addColumn<TUnits>("units");
    for (TUnits units : AllUnits)
        QTest::newRow(UnitName(units)) << units;
}

void TestPreviewPaper::canvasMapsThePaperInEveryUnit() {
    QFETCH(TUnits, units);
    TPrintPreview preview;
    preview.SetUnits(units);
    const int inch = preview.ToUnitsX(1000, mmHiEnglish, units);
    RecordPages(preview, 1, [&](QPainter& canvas, int) {
        QCOMPARE(canvas.window(), preview.PageRect());
        canvas.fillRect(QRect(inch, inch, inch, 2 * inch), Qt::black);
        canvas.fillRect(
            QRect(preview.PaperWidth() - inch, preview.PaperHeight() - inch, inch, inch),
            Qt::black);
    });
    // The page is 794 by 1123 screen pixels: an inch is 96 of them.
    const QImage page = PlayedPage(preview, 1, QSize(794, 1123));
    const QRect top = InkBounds(page.copy(0, 0, 400, 400));
    QVERIFY2(std::abs(top.left() - 96) <= 1 && std::abs(top.top() - 96) <= 1,
             qPrintable(QString("top left at %1, %2").arg(top.left()).arg(top.top())));
    QVERIFY(std::abs(top.width() - 96) <= 1);
    QVERIFY(std::abs(top.height() - 192) <= 1);
    const QRect corner = InkBounds(page.copy(600, 900, 194, 223));
    QVERIFY(std::abs(corner.right() - 193) <= 1);
    QVERIFY(std::abs(corner.bottom() - 222) <= 1);
}

void TestPreviewPaper::fontPointsArePointsOnPaper_data() {
    canvasMapsThePaperInEveryUnit_data();
}

void TestPreviewPaper::fontPointsArePointsOnPaper() {
    QFETCH(TUnits, units);
    TPrintPreview preview;
    preview.SetUnits(units);
    // The control's own font is what a page starts with.
    preview.BeginDoc();
    QPainter& canvas = *preview.PageCanvas();
    QCOMPARE(canvas.font().family(), QString("Arial"));
    QCOMPARE(canvas.font().pointSize(), 8);
    canvas.setFont(QFont("Arial", 72));
    // A 72-point line is about an inch and a tenth of paper, whatever the units.
    const qreal lineInches = QFontMetricsF(canvas.font(), canvas.device()).height() /
                             UnitsPerInch(units, preview.logicalDpiY());
    QVERIFY2(lineInches > 1.05 && lineInches < 1.2, qPrintable(QString::number(lineInches)));
    canvas.drawText(QPoint(preview.ToUnitsX(1000, mmHiEnglish, units),
                           preview.ToUnitsY(3000, mmHiEnglish, units)),
                    "HHH");
    preview.EndDoc();
    // Played at 192 pixels per inch, a capital of 72 points stands about 0.69 inch tall.
    const QRect ink = InkBounds(PlayedPage(preview, 1, QSize(1588, 2246)));
    const qreal capInches = ink.height() / 192.0;
    QVERIFY2(capInches > 0.64 && capInches < 0.74, qPrintable(QString::number(capInches)));
    QVERIFY(std::abs(ink.bottom() - 3 * 192) <= 2);
}

QTEST_MAIN(TestPreviewPaper)
#include "tst_PreviewPaper.moc"
