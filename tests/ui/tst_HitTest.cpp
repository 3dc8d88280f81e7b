// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/HitTest.h"

#include <QtTest>

Q_DECLARE_METATYPE(THitZone)

// Readable zone names in failure messages.
char* toString(THitZone zone) {
    static const char* const names[] = {
        "Default", "Client",  "Caption",  "Left",       "Right",       "Top",
        "Bottom",  "TopLeft", "TopRight", "BottomLeft", "BottomRight",
    };
    return qstrdup(names[static_cast<int>(zone)]);
}

namespace {

constexpr int MainW = 788;
constexpr int MainH = 569;
constexpr int PreviewW = 692;
constexpr int PreviewH = 566;
constexpr int DialogW = 350;
constexpr int PopupW = 292;

void AddRow(const char* name, int x, int y, THitZone zone) {
    QTest::newRow(name) << x << y << zone;
}

void AddColumns() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<THitZone>("zone");
}

// Points that no rule but the last one answers, and the corners, for a window whose answer
// does not depend on the point.
void AddEveryKindOfPoint(int w, int h, THitZone zone) {
    AddColumns();
    AddRow("top left corner", 2, 2, zone);
    AddRow("top edge", 100, 0, zone);
    AddRow("caption band", 100, 10, zone);
    AddRow("row 23", 100, 23, zone);
    AddRow("row 24", 100, 24, zone);
    AddRow("button zone", w - 1, 10, zone);
    AddRow("left edge", 0, 100, zone);
    AddRow("right edge", w - 1, 100, zone);
    AddRow("bottom edge", 100, h - 1, zone);
    AddRow("bottom right corner", w - 1, h - 1, zone);
    AddRow("middle", w / 2, h / 2, zone);
}

} // namespace

class TestHitTest : public QObject {
    Q_OBJECT

private slots:
    void mainRestored_data();
    void mainRestored();
    void mainMaximized_data();
    void mainMaximized();
    void previewRestored_data();
    void previewRestored();
    void previewMaximized_data();
    void previewMaximized();
    void dialog_data();
    void dialog();
    void popup_data();
    void popup();
};

void TestHitTest::mainRestored_data() {
    const int w = MainW;
    const int h = MainH;
    AddColumns();
    // Rule 2: the three buttons, before the right edge and the corners.
    AddRow("button zone at the right border", w - 1, 10, THitZone::Client);
    AddRow("button zone first column", w - 49, 10, THitZone::Client);
    AddRow("button zone top row", w - 30, 5, THitZone::Client);
    AddRow("button zone bottom row", w - 30, 21, THitZone::Client);
    AddRow("left of the button zone", w - 50, 10, THitZone::Caption);
    AddRow("above the button zone", w - 30, 4, THitZone::Caption);
    AddRow("above the button zone at the border", w - 1, 4, THitZone::TopRight);
    AddRow("below the button zone", w - 30, 22, THitZone::Caption);
    AddRow("below the button zone at the border", w - 1, 22, THitZone::Right);
    // Rules 3 to 6: the corners.
    AddRow("top left (2, 2)", 2, 2, THitZone::TopLeft);
    AddRow("top left inner", 4, 4, THitZone::TopLeft);
    AddRow("right of top left", 5, 4, THitZone::Caption);
    AddRow("below top left", 3, 5, THitZone::Left);
    AddRow("below top left, fifth column", 4, 5, THitZone::Caption);
    AddRow("top right", w - 6, 0, THitZone::TopRight);
    AddRow("top right inner", w - 6, 4, THitZone::TopRight);
    AddRow("left of top right", w - 7, 2, THitZone::Top);
    AddRow("bottom left", 4, h - 6, THitZone::BottomLeft);
    AddRow("above bottom left", 2, h - 7, THitZone::Left);
    AddRow("right of bottom left", 5, h - 1, THitZone::Bottom);
    AddRow("bottom right", w - 9, h - 9, THitZone::BottomRight);
    AddRow("bottom right outer", w - 1, h - 1, THitZone::BottomRight);
    AddRow("left of bottom right", w - 10, h - 1, THitZone::Bottom);
    AddRow("above bottom right", w - 1, h - 10, THitZone::Right);
    // Rules 7 to 10: the edges.
    AddRow("left edge", 3, 100, THitZone::Left);
    AddRow("right of the left edge", 4, 100, THitZone::Default);
    AddRow("right edge (W - 1, 30)", w - 1, 30, THitZone::Right);
    AddRow("right edge inner", w - 5, 100, THitZone::Right);
    AddRow("left of the right edge", w - 6, 100, THitZone::Default);
    AddRow("top edge", 100, 3, THitZone::Top);
    AddRow("bottom edge", 100, h - 5, THitZone::Bottom);
    AddRow("above the bottom edge", 100, h - 6, THitZone::Default);
    // Rules 11 and 12: the caption band and the rest.
    AddRow("caption (W - 50, 10)", w - 50, 10, THitZone::Caption);
    AddRow("caption row 4", 100, 4, THitZone::Caption);
    AddRow("caption (100, 23)", 100, 23, THitZone::Caption);
    AddRow("default (100, 24)", 100, 24, THitZone::Default);
    AddRow("middle", w / 2, h / 2, THitZone::Default);
}

void TestHitTest::mainRestored() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(MainWindowHitTest(x, y, MainW, MainH, false), zone);
}

void TestHitTest::mainMaximized_data() {
    AddEveryKindOfPoint(MainW, MainH, THitZone::Default);
}

void TestHitTest::mainMaximized() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(MainWindowHitTest(x, y, MainW, MainH, true), zone);
}

void TestHitTest::previewRestored_data() {
    const int w = PreviewW;
    const int h = PreviewH;
    AddColumns();
    // The two buttons' zone.
    AddRow("maximize button left column", w - 46, 12, THitZone::Client);
    AddRow("close button right column", w - 12, 28, THitZone::Client);
    AddRow("left of the buttons", w - 47, 12, THitZone::Caption);
    AddRow("right of the buttons", w - 11, 12, THitZone::Caption);
    AddRow("above the buttons", w - 30, 11, THitZone::Caption);
    AddRow("below the buttons", w - 30, 29, THitZone::Caption);
    AddRow("right edge beside the buttons", w - 1, 12, THitZone::Right);
    AddRow("main window button zone", w - 30, 5, THitZone::Caption);
    // The main window's corners and edges.
    AddRow("top left", 2, 2, THitZone::TopLeft);
    AddRow("top right", w - 1, 0, THitZone::TopRight);
    AddRow("bottom left", 0, h - 1, THitZone::BottomLeft);
    AddRow("bottom right", w - 9, h - 9, THitZone::BottomRight);
    AddRow("left edge", 0, 100, THitZone::Left);
    AddRow("right edge", w - 1, 100, THitZone::Right);
    AddRow("top edge", 100, 0, THitZone::Top);
    AddRow("bottom edge", 100, h - 1, THitZone::Bottom);
    // The caption band reaches down to row 29.
    AddRow("caption row 24", 100, 24, THitZone::Caption);
    AddRow("caption row 29", 100, 29, THitZone::Caption);
    AddRow("default row 30", 100, 30, THitZone::Default);
    AddRow("middle", w / 2, h / 2, THitZone::Default);
}

void TestHitTest::previewRestored() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(PreviewHitTest(x, y, PreviewW, PreviewH, false), zone);
}

void TestHitTest::previewMaximized_data() {
    AddEveryKindOfPoint(PreviewW, PreviewH, THitZone::Default);
}

void TestHitTest::previewMaximized() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(PreviewHitTest(x, y, PreviewW, PreviewH, true), zone);
}

void TestHitTest::dialog_data() {
    const int w = DialogW;
    AddColumns();
    AddRow("close button (W - 28, 12)", w - 28, 12, THitZone::Client);
    AddRow("left of the close button (W - 29, 12)", w - 29, 12, THitZone::Caption);
    AddRow("close zone at the right border", w - 1, 12, THitZone::Client);
    AddRow("close zone bottom row", w - 28, 28, THitZone::Client);
    AddRow("above the close zone", w - 28, 11, THitZone::Caption);
    AddRow("below the close zone", w - 28, 29, THitZone::Caption);
    AddRow("top left", 0, 0, THitZone::Caption);
    AddRow("top right", w - 1, 0, THitZone::Caption);
    AddRow("row 29 left", 0, 29, THitZone::Caption);
    AddRow("row 29 middle", w / 2, 29, THitZone::Caption);
    AddRow("row 29 right", w - 1, 29, THitZone::Caption);
    AddRow("row 30 left", 0, 30, THitZone::Default);
    AddRow("row 30 middle", w / 2, 30, THitZone::Default);
    AddRow("row 30 under the close button", w - 28, 30, THitZone::Default);
    AddRow("row 30 right", w - 1, 30, THitZone::Default);
    AddRow("left border low down", 0, 200, THitZone::Default);
}

void TestHitTest::dialog() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(DialogHitTest(x, y, DialogW), zone);
}

void TestHitTest::popup_data() {
    const int w = PopupW;
    AddColumns();
    AddRow("close button (W - 16, 12)", w - 16, 12, THitZone::Client);
    AddRow("close zone top right", w - 1, 0, THitZone::Client);
    AddRow("caption (W - 17, 0)", w - 17, 0, THitZone::Caption);
    AddRow("caption row 12", 0, 12, THitZone::Caption);
    AddRow("row 13 left", 0, 13, THitZone::Default);
    AddRow("row 13 under the close button", w - 16, 13, THitZone::Default);
    AddRow("row 13 right", w - 1, 13, THitZone::Default);
    AddRow("middle", w / 2, 200, THitZone::Default);
}

void TestHitTest::popup() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(THitZone, zone);
    QCOMPARE(PopupHitTest(x, y, PopupW), zone);
}

QTEST_APPLESS_MAIN(TestHitTest)
#include "tst_HitTest.moc"
