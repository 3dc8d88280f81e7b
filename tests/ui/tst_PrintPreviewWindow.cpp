// SPDX-License-Identifier: GPL-3.0-or-later

// The print preview window: the set-up from the job, the first showing maximized, paging and
// its buttons, the scale box and the zoom buttons, and printing page by page on PDF printers.

#include "app/Application.h"
#include "tests/ui/PrintRig.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"
#include "uikit/FrameGlyphs.h"
#include "uikit/MyImage.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

std::vector<TMyRec2> Tasks(int count) {
    std::vector<TMyRec2> tasks;
    for (int id = 1; id <= count; ++id)
        tasks.push_back(Task(id, "Task " + std::to_string(id)));
    return tasks;
}

QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& path) {
    QProcess process;
    process.start("pdfinfo", {path});
    process.waitForFinished(20000);
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return 0;
}

// A PDF printer that keeps every job it is given: each job's file is moved aside when the
// control has printed it.
struct TJobRecorder {
    QTemporaryDir folder;
    QPrinter printer{QPrinter::HighResolution};
    QStringList jobs;

    explicit TJobRecorder(TPrintPreview& control) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("job.pdf"));
        control.SetPrinter(&printer);
        QObject::connect(&control, &TPrintPreview::AfterPrint, &control, [this] {
            const QString kept = folder.filePath(QString("job%1.pdf").arg(jobs.size() + 1));
            QFile::rename(folder.filePath("job.pdf"), kept);
            jobs.append(kept);
        });
    }
    // The page number each job printed, as "p/n".
    QStringList PageNumbers() const {
        QStringList numbers;
        for (const QString& job : jobs) {
            const QString text = PdfText(job).simplified();
            numbers.append(PdfPages(job) == 1 ? text.section(' ', -1) : QString("pages"));
        }
        return numbers;
    }
};

bool SamePicture(const QPixmap& a, const QPixmap& b) {
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestPrintPreviewWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TPrintRig> rig_;

    TForm19& P() { return *rig_->preview; }
    TPrintPreview& Control() { return *PrintPreview1(*rig_->preview); }
    TPrintJob& Job() { return rig_->preview->PrintJob; }
    void ShowRestored() {
        P().show();
        QVERIFY(QTest::qWaitForWindowExposed(&P()));
        if (P().Frame->Maximized())
            P().Frame->Image_MaxClick();
    }
    bool PageButtons(bool first, bool previous, bool next, bool last) {
        return ToolButton5(P())->isEnabled() == first &&
               ToolButton6(P())->isEnabled() == previous && ToolButton7(P())->isEnabled() == next &&
               ToolButton8(P())->isEnabled() == last;
    }

private slots:
    void initTestCase() {
        // No print service answers here: the only printers are the ones a test hands over.
        qputenv("CUPS_SERVER", QDir::temp().filePath("tolvek-no-cups.sock").toUtf8());
    }
    void init() {
        rig_ = std::make_unique<TPrintRig>();
        Job().Tasks = Tasks(3);
        // 43 tasks to a page.
        Job().PrintNotes = false;
    }
    void cleanup() {
        VerifyCleanEnd();
        rig_.reset();
    }

    void controlsAtCreation() {
        QCOMPARE(P().size(), QSize(692, 566));
        QCOMPARE(P().Frame->Label1()->text(), QString("Preview"));
        QCOMPARE(Panel1(P())->geometry(), QRect(18, 40, 153, 511));
        QCOMPARE(Panel2(P())->geometry(), QRect(174, 40, 505, 514));
        QCOMPARE(ComboBox1(P())->geometry(), QRect(42, 45, 101, 21));
        QStringList items;
        for (int i = 0; i < ComboBox1(P())->count(); ++i)
            items << ComboBox1(P())->itemText(i);
        QCOMPARE(items, (QStringList{"200%", "150%", "100%", "75%", "50%", "25%", "10%",
                                     "Page Width", "Page Height", "Whole Page"}));
        QStringList hints;
        for (QToolButton* b :
             {ToolButton1(P()), ToolButton2(P()), ToolButton3(P()), ToolButton4(P()),
              ToolButton5(P()), ToolButton6(P()), ToolButton7(P()), ToolButton8(P())})
            hints << b->toolTip();
        QCOMPARE(hints, (QStringList{"zoom in", "zoom out", "whole page", "actual size", "first",
                                     "previous", "next", "last"}));
        QVERIFY(Edit1(P())->isReadOnly());
        QCOMPARE(BitBtn1(P())->geometry(), QRect(39, 272, 75, 25));
        QCOMPARE(BitBtn3(P())->geometry(), QRect(39, 453, 75, 25));
        QCOMPARE(Control().Units(), mmPixel);
        QCOMPARE(Control().Color(), QColor(172, 168, 153));
        QCOMPARE(Control().PaperView().ShadowColor, QColor(128, 128, 128));
        QCOMPARE(Control().PaperView().ShadowWidth, 2);
        QCOMPARE(Control().parentWidget(), Panel2(P()));
    }

    void panelsFollowTheWindowsSize() {
        ShowRestored();
        P().resize(900, 700);
        QCOMPARE(Panel1(P())->geometry(), QRect(18, 40, 153, 645));
        QCOMPARE(BitBtn1(P())->pos(), QPoint(39, 272 + 134));
        QCOMPARE(BitBtn2(P())->pos(), QPoint(39, 314 + 134));
        QCOMPARE(BitBtn3(P())->pos(), QPoint(39, 453 + 134));
        QCOMPARE(Panel2(P())->geometry(), QRect(174, 40, 713, 648));
        QCOMPARE(Control().geometry(), Panel2(P())->contentsRect());
        QCOMPARE(P().Frame->Image_Close()->pos(), QPoint(900 - 28, 12));
        QCOMPARE(P().Frame->Image_Max()->pos(), QPoint(900 - 46, 12));
    }

    void setUpTakesThePaperFromTheJob_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QSize>("tenths");
        QTest::newRow("A4") << 0 << int(pA4) << "Paper Type: A4" << QSize(2100, 2970);
        QTest::newRow("A5") << 1 << int(pA5) << "Paper Type: A5" << QSize(1480, 2100);
        QTest::newRow("Legal") << 2 << int(pLegal) << "Paper Type: Legal" << QSize(2159, 3556);
        QTest::newRow("Letter") << 3 << int(pLetter) << "Paper Type: Letter" << QSize(2159, 2794);
        // The control's B4 is 250 by 354 mm, whatever the settings window's boxes said.
        QTest::newRow("B4") << 4 << int(pB4) << "Paper Type: B4" << QSize(2500, 3540);
        QTest::newRow("B5") << 5 << int(pB5) << "Paper Type: B5" << QSize(1820, 2570);
    }
    void setUpTakesThePaperFromTheJob() {
        QFETCH(int, size);
        QFETCH(int, type);
        QFETCH(QString, label);
        QFETCH(QSize, tenths);
        for (int landscape : {0, 1}) {
            Job().PageSize = size;
            Job().Landscape = landscape;
            rig_->SetUp();
            QCOMPARE(int(Control().PaperType()), type);
            QCOMPARE(Label6(P())->text(), label);
            QCOMPARE(Label5(P())->text(),
                     QString(landscape ? "Orientation: Landscape" : "Orientation: Portrait"));
            const QSize portrait(Control().ToUnitsX(tenths.width(), mmLoMetric, mmPixel),
                                 Control().ToUnitsY(tenths.height(), mmLoMetric, mmPixel));
            QCOMPARE(PaperSize(Control()), landscape ? portrait.transposed() : portrait);
        }
    }

    void customSizesAreThePortraitSheetWhateverCameBefore() {
        Job().PageSize = 6;
        Job().PageHeight = 1000;
        Job().PageWidth = 1500;
        const QSize sheet(Control().ToUnitsX(1500, mmLoMetric, mmPixel),
                          Control().ToUnitsY(1000, mmLoMetric, mmPixel));
        // After a landscape report, and after a portrait one: the same pages.
        for (int before : {1, 0, 1}) {
            TPrintJob earlier = Job();
            earlier.PageSize = 0;
            earlier.Landscape = before;
            std::swap(Job(), earlier);
            rig_->SetUp();
            std::swap(Job(), earlier);
            for (int landscape : {0, 1}) {
                Job().Landscape = landscape;
                rig_->SetUp();
                QCOMPARE(Control().PaperType(), pCustom);
                QCOMPARE(PaperSize(Control()), landscape ? sheet.transposed() : sheet);
                QCOMPARE(Label6(P())->text(),
                         QString("Paper Type: Custom    H: 10.00cm.  W: 15.00cm."));
            }
        }
    }

    void setUpShowsPageOneAtWholePage() {
        Job().Tasks = Tasks(100);
        ShowRestored();
        ToolButton8(P())->click();
        ComboBox1(P())->setCurrentIndex(2);
        P().ComboBox1Change();
        QCOMPARE(Control().Zoom(), 100);
        // A new hand-over starts again from page 1 at "Whole Page".
        Job().Tasks = Tasks(60);
        P().FormShow();
        QCOMPARE(Label4(P())->text(), QString("Total Pages: 2"));
        QCOMPARE(Edit1(P())->text(), QString("1"));
        QCOMPARE(P().CurrentPage, 1);
        QCOMPARE(Control().TotalPages(), 1);
        QCOMPARE(ComboBox1(P())->currentText(), QString("Whole Page"));
        QCOMPARE(Control().ZoomState(), zsZoomToFit);
        QVERIFY(P().focusWidget() == BitBtn1(P()));
        QVERIFY(PageButtons(false, false, true, true));
    }

    void theFirstShowingIsMaximized() {
        bool checked = false;
        QTimer::singleShot(0, &P(), [&] {
            const QRect screen = P().screen()->geometry();
            QVERIFY(P().Frame->Maximized());
            QCOMPARE(P().geometry(), P().screen()->availableGeometry());
            QVERIFY(SamePicture(P().Frame->Image_Max()->pixmap(),
                                DialogButtonPicture(TFrameGlyph::Restore, false)));
            // Restored: the designed size in the middle of the screen.
            P().Frame->Image_MaxClick();
            QCOMPARE(P().geometry(),
                     QRect((screen.width() - 692) / 2, (screen.height() - 566) / 2, 692, 566));
            P().reject();
            checked = true;
        });
        P().exec();
        QVERIFY(checked);
        QVERIFY(P().FirstShowDone);
        // Later showings keep the window as the user left it.
        QTimer::singleShot(0, &P(), [&] {
            QVERIFY(!P().Frame->Maximized());
            QCOMPARE(P().size(), QSize(692, 566));
            P().reject();
        });
        P().exec();
    }

    void pageButtons() {
        Job().Tasks = Tasks(120);
        rig_->SetUp();
        QCOMPARE(P().Layout.PageCount, 3);
        QVERIFY(PageButtons(false, false, true, true));
        const QImage first = rig_->Page();
        ToolButton7(P())->click();
        QCOMPARE(P().CurrentPage, 2);
        QCOMPARE(Edit1(P())->text(), QString("2"));
        QVERIFY(PageButtons(true, true, true, true));
        QVERIFY(rig_->Page() != first);
        ToolButton8(P())->click();
        QCOMPARE(Edit1(P())->text(), QString("3"));
        QVERIFY(PageButtons(true, true, false, false));
        ToolButton6(P())->click();
        QCOMPARE(P().CurrentPage, 2);
        ToolButton5(P())->click();
        QCOMPARE(P().CurrentPage, 1);
        QCOMPARE(rig_->Page(), first);
        QVERIFY(PageButtons(false, false, true, true));
        // The control always holds just the page on view.
        QCOMPARE(Control().TotalPages(), 1);
    }

    void aOnePageReportHasNoPageButtons() {
        rig_->SetUp();
        QCOMPARE(P().Layout.PageCount, 1);
        QVERIFY(PageButtons(false, false, false, false));
    }

    void scaleBox_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("zoom");
        const int percent[] = {200, 150, 100, 75, 50, 25, 10};
        for (int item = 0; item < 7; ++item)
            QTest::addRow("%d%%", percent[item]) << item << int(zsZoomOther) << percent[item];
        QTest::newRow("Page Width") << 7 << int(zsZoomToWidth) << 0;
        QTest::newRow("Page Height") << 8 << int(zsZoomToHeight) << 0;
        QTest::newRow("Whole Page") << 9 << int(zsZoomToFit) << 0;
    }
    void scaleBox() {
        QFETCH(int, item);
        QFETCH(int, state);
        QFETCH(int, zoom);
        ShowRestored();
        Control().SetZoom(120);
        ComboBox1(P())->setCurrentIndex(item);
        emit ComboBox1(P())->activated(item);
        QCOMPARE(int(Control().ZoomState()), state);
        if (zoom > 0)
            QCOMPARE(Control().Zoom(), zoom);
        // The control takes the keys and the wheel at once.
        QVERIFY(P().focusWidget() == &Control());
    }

    void zoomInFromAWholePageOf63Chooses75() {
        ShowRestored();
        // The window's height that makes the whole page a 63 % zoom, the page fitting its height.
        for (int height = 566; height < 1400 && Control().Zoom() != 63; ++height)
            P().resize(1400, height);
        QCOMPARE(Control().ZoomState(), zsZoomToFit);
        QCOMPARE(Control().Zoom(), 63);
        ToolButton1(P())->click();
        QCOMPARE(ComboBox1(P())->currentText(), QString("75%"));
        QCOMPARE(Control().Zoom(), 75);
        QCOMPARE(Control().ZoomState(), zsZoomOther);
    }

    void zoomButtonsPickThePresets_data() {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("9") << 9 << "10%"
                           << "";
        QTest::newRow("10") << 10 << "25%"
                            << "";
        QTest::newRow("11") << 11 << "25%"
                            << "10%";
        QTest::newRow("63") << 63 << "75%"
                            << "50%";
        QTest::newRow("100") << 100 << "150%"
                             << "75%";
        QTest::newRow("120") << 120 << "150%"
                             << "100%";
        QTest::newRow("199") << 199 << "200%"
                             << "150%";
        QTest::newRow("200") << 200 << ""
                             << "150%";
        QTest::newRow("260") << 260 << ""
                             << "200%";
    }
    void zoomButtonsPickThePresets() {
        QFETCH(int, zoom);
        QFETCH(QString, in);
        QFETCH(QString, out);
        ShowRestored();
        Control().SetZoomMin(5);
        for (const auto& [button, item] :
             {std::pair{ToolButton1(P()), in}, {ToolButton2(P()), out}}) {
            Control().SetZoom(zoom);
            ComboBox1(P())->setCurrentIndex(9);
            button->click();
            // Nothing happens past the ends.
            QCOMPARE(ComboBox1(P())->currentText(), item.isEmpty() ? QString("Whole Page") : item);
            QCOMPARE(Control().Zoom(), item.isEmpty() ? zoom : item.chopped(1).toInt());
        }
        ToolButton3(P())->click();
        QCOMPARE(ComboBox1(P())->currentText(), QString("Whole Page"));
        QCOMPARE(Control().ZoomState(), zsZoomToFit);
        ToolButton4(P())->click();
        QCOMPARE(ComboBox1(P())->currentText(), QString("100%"));
        QCOMPARE(Control().Zoom(), 100);
    }

    void theControlsOwnZoomLeavesTheScaleBox() {
        ShowRestored();
        Control().setFocus();
        QTest::keyClick(&Control(), Qt::Key_Plus, Qt::KeypadModifier);
        QVERIFY(Control().ZoomState() == zsZoomOther);
        QCOMPARE(ComboBox1(P())->currentText(), QString("Whole Page"));
    }

    void printAllPrintsEveryPageAsAJobOfItsOwn() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (Debian package poppler-utils) is not installed");
        Job().Tasks = Tasks(200);
        rig_->SetUp();
        QCOMPARE(P().Layout.PageCount, 5);
        TJobRecorder recorder(Control());
        ToolButton7(P())->click();
        ToolButton7(P())->click();
        const QImage third = rig_->Page();
        BitBtn2(P())->click();
        QCOMPARE(recorder.PageNumbers(), (QStringList{"1/5", "2/5", "3/5", "4/5", "5/5"}));
        // The page on view is the one the page box and the buttons speak of.
        QCOMPARE(P().CurrentPage, 3);
        QCOMPARE(Edit1(P())->text(), QString("3"));
        QVERIFY(PageButtons(true, true, true, true));
        QCOMPARE(rig_->Page(), third);
        BitBtn1(P())->click();
        QCOMPARE(recorder.PageNumbers().mid(5), QStringList{"3/5"});
        // From page 1, twice: in page order both times.
        ToolButton5(P())->click();
        BitBtn2(P())->click();
        BitBtn2(P())->click();
        QCOMPARE(recorder.PageNumbers().mid(6), (QStringList{"1/5", "2/5", "3/5", "4/5", "5/5",
                                                             "1/5", "2/5", "3/5", "4/5", "5/5"}));
        QVERIFY(ShownMessageBoxes().isEmpty());
    }

    void printingNeedsAPrinterThatIsFree() {
        rig_->SetUp();
        if (!Control().HasPrinter()) {
            for (QPushButton* button : {BitBtn1(P()), BitBtn2(P())}) {
                ClearShownMessageBoxes();
                QueueMessageBoxAnswer(QMessageBox::Ok);
                button->click();
                QCOMPARE(ShownMessageBoxes(),
                         QStringList{"Error: Can not find printer, job canceled!"});
            }
        }
        TJobRecorder recorder(Control());
        Control().BeginDoc();
        for (QPushButton* button : {BitBtn1(P()), BitBtn2(P())}) {
            ClearShownMessageBoxes();
            QueueMessageBoxAnswer(QMessageBox::Ok);
            button->click();
            QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Printer is busy, job canceled!"});
        }
        Control().EndDoc();
        QVERIFY(recorder.jobs.isEmpty());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestPrintPreviewWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PrintPreviewWindow.moc"
