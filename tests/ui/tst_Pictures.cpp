// SPDX-License-Identifier: GPL-3.0-or-later

#include "resources/Pictures.h"

#include "tests/ui/TestSupport.h"

#include <QImage>
#include <QtTest>

namespace {

// Counts the pixels of a picture that are fully transparent and those that are fully opaque.
std::pair<int, int> TransparentAndOpaque(const QPixmap& picture) {
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    int transparent = 0;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            transparent += alpha == 0;
            opaque += alpha == 255;
        }
    return {transparent, opaque};
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VerifyCleanEnd(); }

    void CategoryIconsAreSixteenWithTransparentGround() {
        for (int number = 1; number <= 10; ++number) {
            const QPixmap icon = CategoryIcon(number);
            QVERIFY(!icon.isNull());
            QCOMPARE(icon.size(), QSize(16, 16));
            const auto [transparent, opaque] = TransparentAndOpaque(icon);
            QVERIFY2(transparent > 0 && opaque > 0, qPrintable(QString::number(number)));
        }
    }

    void CategoryIconsDifferFromEachOther() {
        for (int a = 1; a <= 10; ++a)
            for (int b = a + 1; b <= 10; ++b)
                QVERIFY(CategoryIcon(a).toImage() != CategoryIcon(b).toImage());
    }

    void NumbersOutsideTheSetGiveNoIcon() {
        QVERIFY(CategoryIcon(0).isNull());
        QVERIFY(CategoryIcon(11).isNull());
        QVERIFY(CategoryIcon(-1).isNull());
    }

    void ListAndButtonPicturesAreSixteen() {
        for (const QPixmap& picture : {HighPriorityPicture(), ReminderPicture(), AddPicture(),
                                       EditPicture(), DeletePicture(), PrintPicture()}) {
            QCOMPARE(picture.size(), QSize(16, 16));
            QCOMPARE(picture.devicePixelRatio(), 1.0);
            QVERIFY(TransparentAndOpaque(picture).second > 0);
        }
    }

    void ProgramIconHasThreeSizes() {
        const QList<QSize> sizes = ProgramIcon().availableSizes();
        for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
            QVERIFY(sizes.contains(size));
    }

    void TheIconThemeGetsTheSamePaintingAtEverySize() {
        for (int size : {16, 32, 48})
            QCOMPARE(ProgramIconImage(size),
                     ProgramIcon()
                         .pixmap(size, size)
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied));
        for (int size : {64, 128, 256}) {
            const QImage image = ProgramIconImage(size);
            QCOMPARE(image.size(), QSize(size, size));
            // Transparent corners around an opaque board.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size * 3 / 4)), 255);
        }
    }
};

QTEST_MAIN(TestPictures)
#include "tst_Pictures.moc"
